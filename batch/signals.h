#pragma once

// The signals the interpreter follows while a command runs. SIGTERM and SIGHUP ask it to end
// (the program's time limit, or the program itself ending); SIGCHLD tells that a process below
// it ended. Each makes a descriptor readable, so that a wait for a command's output can also
// wait for them, without a moment in which a signal could be missed.
namespace batch::signals {

void Install();

// Readable once a signal has come; Drain() empties it.
int WakeDescriptor();
void Drain();

// The signal that asked the interpreter to end, 0 while none has.
int EndRequested();

} // namespace batch::signals
