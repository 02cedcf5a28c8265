#pragma once

#include <string>

// One ceiling over everything a command of a batch file starts. Where the interpreter runs in a
// control group of its own with a memory and a task ceiling (the program starts it in a scope of
// the user's service manager when one can be had), that group holds the interpreter and all it
// starts together. Where it does not, each process has only its own address space as a ceiling
// (set by whoever started the interpreter), so a command may start no further process: the tree
// is one process, and that process's ceiling is the tree's. Without either, nothing bounds the
// memory. Either way every process may write
// files only up to the size set by whoever started the interpreter.
namespace confine {

struct Ceiling {
    std::string group;              // the control group of its own, empty when there is none
    long long groupMemoryBytes = 0; // what that group's memory ceiling is
    long long groupTasks = 0;       // how many tasks it may hold
    bool oneProcess = false;        // without one: a command may start no other process

    // One line saying what holds, for the log.
    std::string describe() const;
    // How many processes the group's memory ceiling has ended so far; 0 without a group.
    long long memoryKills() const;
};

// What holds for this interpreter: a control group of its own when it has one; otherwise, when
// each process has a ceiling on its address space, a command is kept to one process where
// `canFilter` (the system-call filter can be installed).
Ceiling ProbeCeiling(bool canFilter);

} // namespace confine
