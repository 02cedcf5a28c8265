#pragma once

namespace platform {

// Lets the window process every pending event once.
void Yield();

// Waits `ms` milliseconds while the window keeps serving events, so it never freezes.
void Pause(int ms);

} // namespace platform
