#pragma once

#include <QElapsedTimer>

namespace platform {

// Lets the window process every pending event once.
void Yield();

// Keeps the window served through long work that cannot wait: each tick lets the window serve
// its events when the work has gone `sliceMs` without doing so.
class YieldClock {
public:
    explicit YieldClock(int sliceMs = 25) : slice(sliceMs) { since.start(); }
    void tick();

private:
    int slice;
    QElapsedTimer since;
};

} // namespace platform
