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

// How long a finished step may take to show in the working folder: the copy to appear, the
// input to disappear once the batch file has ended.
constexpr int CopyWaitMs = 3000;

} // namespace rasterise
