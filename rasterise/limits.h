#pragma once

#include <QtGlobal>

// How far Ghostscript may go on one file: its time, its memory and its processes.
namespace rasterise {

// How long Ghostscript may work on one file before it is ended and the file counted as failed.
constexpr int GhostscriptTimeLimitMs = 60000;

// How much memory (address space) Ghostscript may take for one file: a quarter of the machine's
// memory, at least 1 GiB and at most 4 GiB. Ghostscript bands large pages, so a real drawing
// needs far less (about 30 MB for the samples); the ceiling only stops a runaway program before
// it pushes the desktop into swap.
qint64 GhostscriptMemoryLimitBytes();
// How many processes and threads Ghostscript and whatever it starts may be together, where the
// user's service manager gives them a group of their own. Ghostscript needs one or two.
constexpr int GhostscriptTasks = 32;

// What one Ghostscript may take: its time on one file, and its memory (with all it starts).
struct Limits {
    int timeMs = GhostscriptTimeLimitMs;
    qint64 memoryBytes = 0; // 0 for no ceiling
};

// How little memory one of several Ghostscripts working at once may be given: below this, fewer
// work at once, so that a real drawing still fits.
constexpr qint64 SmallestShareBytes = qint64(512) << 20;

// How many Ghostscripts work at once: as many as the program may use `cores`, at most `cap` (0
// for none), and no more than leave each its share of `memoryBytes`, the memory they share (0
// for no ceiling), of at least SmallestShareBytes; at least one.
int GhostscriptsAtOnce(int cores, int cap, qint64 memoryBytes);

} // namespace rasterise
