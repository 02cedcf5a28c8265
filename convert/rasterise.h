#pragma once

#include "convert/shell32.h"
#include "platform/eventloop.h"

#include <QString>

namespace platform {
class Launcher;
}

// Rasterising one EPS file to a JPEG with Ghostscript, through a generated batch file run in
// the private working folder. The batch file deletes its input when done; that deletion is how
// the wait learns that Ghostscript has finished.
namespace rasterise {

// How long Ghostscript may work on one file before it is ended and the file counted as failed.
constexpr int GhostscriptTimeLimitMs = 60000;
// How long a finished step may take to show in the working folder: the copy to appear, the
// input to disappear once the batch file has ended.
constexpr int CopyWaitMs = 3000;

// "TEMP" + "/ps", read anew on every call, and the fixed files inside it.
QString WorkingFolder();
QString BatchFilePath();  // eps2jpg.bat
QString CurrentEpsPath(); // current.eps
QString CurrentJpgPath(); // current.jpg

// The two lines of eps2jpg.bat for a JPEG quality in percent, joined by CR LF.
QString BatchText(int quality);

// Copies the `ps` folder of the application folder into the working folder, replacing files
// already there. Creates the working folder (private to this user) when missing, and raises a
// failure when it, or the folder holding it, is not private to this user.
void PrepareWorkingFolder(const QString& applicationFolder);

// Replaces eps2jpg.bat in the working folder by `batchText`. Raises a failure when it cannot.
void WriteBatchFile(const QString& batchText);

enum class Rasterised {
    Converted,    // current.jpg exists
    NoImage,      // Ghostscript ran but made no image (not an EPS, or a damaged one)
    TimedOut,     // Ghostscript did not finish in time and was ended
    CopyFailed,   // the copy of the source never appeared in the working folder
    LaunchFailed, // the batch file could not be started
};

// Copies `source` to current.eps, runs eps2jpg.bat hidden in the working folder and waits
// until current.eps is gone. A stale current.jpg is removed first, so a JPEG that exists
// afterwards belongs to this source. Raises a failure when the source cannot be copied or the
// working folder is not private. After a time-out or failed start neither current.eps nor
// current.jpg is left.
Rasterised RasteriseEps(const QString& source, platform::Launcher& launcher,
                        const Shell32::PauseFunction& pause = platform::Pause,
                        int timeLimitMs = GhostscriptTimeLimitMs);

} // namespace rasterise
