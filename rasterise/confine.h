#pragma once

#include <string>
#include <vector>

#include <linux/filter.h>

// Confining a command of a batch file, and everything it starts, so that whatever the input it
// reads makes it do, it can only draw: read the system's programs, libraries, configuration and
// fonts and its working folder, write files in the working folder without removing or renaming
// any, and do as it likes in a temporary folder of its own. It cannot open sockets of any kind,
// change a file's permissions, owner, extended attributes or times, cut a file short by its
// path, use the user's keys, connect or bind TCP ports, reach abstract sockets or signal
// processes outside its confinement. Each of these is used as far as the running kernel offers
// it (Linux Landlock and a seccomp system-call filter).
namespace confine {

struct Confinement {
    int landlockAbi = 0; // 0 when the kernel has no Landlock
    // The seccomp program, made once before any command starts; empty when the kernel has no
    // seccomp or the filter does not know this processor's architecture.
    std::vector<sock_filter> filter;
    // When not empty, the program that keeps a command from starting any other process (see
    // ceiling.h), made once as well.
    std::vector<sock_filter> oneProcess;

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

// The program that keeps a command from starting any other process (it may still make threads,
// which share its address space); empty where this processor's architecture is not known.
std::vector<sock_filter> OneProcessProgram();

// Confines the calling process for good: no new privileges, the ruleset (when >= 0), the
// system-call filter, and the filter that keeps it to one process when there is one. Called in
// the child between fork and exec, where it only makes system calls; false when any part that
// the kernel offers could not be put in force, and then the command must not run.
bool ConfineSelf(const Confinement& confinement, int ruleset);

} // namespace confine
