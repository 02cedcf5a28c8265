#pragma once

#include <cstddef>

// The log the batch interpreter keeps beside a batch file (its name with ".log"): for every
// line run, the command, what it printed and its exit status, each line starting with a mark;
// before them, notes about the run as a whole.
namespace batchlog {

inline constexpr const char* CommandMark = "> ";
inline constexpr const char* OutputMark = "| ";
inline constexpr const char* StatusMark = "= ";
inline constexpr const char* NoteMark = "# ";

// The note after a command that the memory ceiling of its control group ended a process of.
inline constexpr const char* CeilingReached = "the memory ceiling was reached: a process was ended";

// The interpreter's exit status when it cannot make its log: it then runs nothing, since what
// the commands printed and how they ended could not be told.
inline constexpr int NoLogStatus = 125;

// What a command prints is kept up to these sizes: the first HeadBytes, then the last
// TailBytes. A line longer than LongestLine is cut there.
inline constexpr std::size_t HeadBytes = 16 * 1024;
inline constexpr std::size_t TailBytes = 16 * 1024;
inline constexpr std::size_t LongestLine = 1024;

} // namespace batchlog
