#pragma once

#include <string>

// Confining a command of a batch file, and everything it starts, so that whatever the input it
// reads makes it do, it can only draw: read the system's programs, libraries, configuration and
// fonts and its working folder, write files in the working folder without removing or renaming
// any, and do as it likes in a temporary folder of its own. It cannot open sockets of any kind,
// change a file's permissions, owner, extended attributes or times, cut a file short by its
// path, use the user's keys, connect or bind TCP ports, reach abstract sockets or signal
// processes outside its confinement. Each of these is used as far as the running kernel offers
// it (Linux Landlock and a seccomp system-call filter).
namespace batch {

struct Confinement {
    int landlockAbi = 0;           // 0 when the kernel has no Landlock
    bool systemCallFilter = false; // whether the seccomp filter can be installed
    bool oneProcess = false;       // a command may start no other process (see ceiling.h)

    // One line saying what is in force, for the log.
    std::string describe() const;
};

// What the running kernel offers.
Confinement ProbeConfinement();

// The Landlock rules for one command that runs in `workingFolder` with `temporaryFolder` as its
// own: a ruleset descriptor to hand to ConfineSelf, -1 when the kernel has no Landlock. Answers
// -2 with `error` set when the kernel has Landlock but the rules cannot be made.
int MakeRuleset(const Confinement& confinement, const std::string& workingFolder,
                const std::string& temporaryFolder, std::string& error);

// Confines the calling process for good: no new privileges, the ruleset (when >= 0), the
// system-call filter, and when `oneProcess` the filter that keeps it from starting processes.
// Called in the child between fork and exec; false when any part that the kernel offers could not
// be put in force, and then the command must not run.
bool ConfineSelf(const Confinement& confinement, int ruleset);

} // namespace batch
