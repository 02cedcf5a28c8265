#pragma once

#include "convert/shell32.h"
#include "platform/eventloop.h"
#include "platform/filesystem.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace platform {
class Launcher;
}

// Rasterising one EPS file to a JPEG with Ghostscript, through a generated batch file run in
// the private working folder. The batch file deletes its input when done; that deletion is how
// the wait learns that Ghostscript has finished.
namespace rasterise {

// Pauses the given number of milliseconds, keeping the window alive (platform::Pause).
using PauseFunction = std::function<void(int ms)>;

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

inline const QString NoGhostscript = QStringLiteral(
    "Ghostscript was not found. Please install Ghostscript (the \"gs\" command) and try again.");
// Why a drawing whose header defers its bounding box to its end, where none is given, fails.
inline const QString NoBoxAtTheEnd =
    QStringLiteral("its header says its bounding box comes at its end (\"(atend)\"), but none is "
                   "given there; saving it again from the program that made it may mend it");

// True when Ghostscript, which the working folder's "gswin32c" runs, can be started.
bool GhostscriptFound();

// "TEMP" + "/ps", read anew on every call, and the fixed files inside it.
QString WorkingFolder();
QString BatchFilePath();  // eps2jpg.bat
QString CurrentEpsPath(); // current.eps
QString CurrentJpgPath(); // current.jpg
QString BatchLogPath();   // eps2jpg.log, kept by the batch interpreter

// The resolutions a drawing can be drawn at, in dots per inch, lowest first. The lowest is
// Ghostscript's own for its jpeg device, so at it the batch line names none.
inline constexpr std::array<int, 4> Resolutions{72, 150, 300, 600};
inline constexpr int DefaultResolution = Resolutions.front();

// A listed resolution written in decimal, blanks around it allowed; nothing for any other text.
std::optional<int> ResolutionFromText(const QString& text);

// The listed resolutions as words: "72, 150, 300 or 600".
QString ResolutionList();

// The listed resolution below `resolution`; nothing when there is none.
std::optional<int> LowerResolution(int resolution);

// The two lines of eps2jpg.bat for a JPEG quality in percent and a resolution in dots per inch,
// joined by CR LF. Ghostscript takes a quality of 0 for its default (75), so the lowest quality
// written is 1. A resolution other than the default is the switch -r after the device's.
QString BatchText(int quality, int resolution = DefaultResolution);

// The files of the working folder that run something: the batch file and what the `ps` folder
// brought (the Ghostscript launcher), by path, as the run wrote them. They are written
// read-only, and a change to them is noticed and undone before it can run.
struct RunFile {
    QByteArray bytes;
    bool executable = false;
};
using RunFiles = QMap<QString, RunFile>;

// Makes the working folder, private to this user, when it is missing; answers its path. Raises
// a failure when it cannot be made, or when it or the folder holding it is not private to this
// user.
QString MakeWorkingFolder();

// Copies the `ps` folder of the application folder into the working folder, replacing files
// already there, read-only. Raises a failure when it cannot, or when the working folder is not
// private (see MakeWorkingFolder). Answers the files it wrote.
RunFiles PrepareWorkingFolder(const QString& applicationFolder);

// Replaces eps2jpg.bat in the working folder by `batchText`, read-only, and adds it to `files`.
// Raises a failure when it cannot.
void WriteBatchFile(const QString& batchText, RunFiles& files);

// Removes from the working folder everything but `files` (and the folders that hold them) and the
// batch interpreter's log: what an earlier file, or a drawing, left there can neither change nor
// block a later one. Raises a
// failure, removing nothing, when the working folder is not private.
void ClearWorkingFolder(const RunFiles& files);

// Writes again every file of `files` that no longer holds its bytes or its read-only
// permissions (a link in its place included); answers their names.
// Raises a failure when one cannot be written again.
QStringList RestoreChangedFiles(const RunFiles& files);

enum class Rasterised {
    Converted,         // current.jpg exists and is a complete picture
    NoImage,           // Ghostscript ended well but made no image
    GhostscriptError,  // Ghostscript failed (not an EPS, or a damaged one)
    NotStarted,        // Ghostscript could not be started (launcher missing or broken)
    Incomplete,        // the picture was cut off (a full disk, a killed program)
    TimedOut,          // Ghostscript did not finish in time and was ended
    OutOfMemory,       // Ghostscript ran out of the memory it may take
    NotAFile,          // the source is a pipe, a device, a socket or a folder: never copied
    CopyFailed,        // the source could not be copied into the working folder
    LaunchFailed,      // the batch file could not be started
    BatchFailed,       // the batch file ended before its last line
    ChangedRunFiles,   // the drawing changed the batch file or the launcher: written again
    WorkingFolderFull, // the picture could not be written: the working folder's disk is full
    NotADrawing,       // the source is something else (a picture, an archive, text, nothing)
    PictureTooLarge,   // the picture grew past the largest the PDF Writer prints, and was ended
};

// The outcome of rasterising one source, with what Ghostscript or the system said about it.
struct Rasterisation {
    Rasterised result = Rasterised::NoImage;
    QString detail;  // the program's own words: what the system said, how Ghostscript ended
    int failure = 0; // NotAFile, CopyFailed: the failure number, for the report
    // The line Ghostscript printed about its failure, as printed: its words or the drawing's,
    // never to be shown but quoted.
    QString said = {};
    // The folder that held the source's name when it was read.
    std::optional<platform::FolderIdentity> sourceFolder = {};
};

// What the batch interpreter's log tells of one command: its status (nothing when it never
// ended), the lines it printed and whether the memory ceiling ended a process of it.
struct LoggedCommand {
    QString line;
    std::optional<int> status;
    QStringList output;
    bool ceilingReached = false; // the memory ceiling ended a process of it
};
QList<LoggedCommand> ReadBatchLog(const QString& path);

// Clears the working folder of all but `runFiles`, opens `source` once (refusing a link of
// another user's on its way, see platform::OpenSourceFile) and copies it to current.eps, runs
// eps2jpg.bat hidden in the working folder (Ghostscript and whatever it starts bounded together
// by `timeLimitMs` and `memoryLimitBytes`, and every file it writes by the largest picture the
// PDF Writer prints) and waits until current.eps is gone. A copy that is no drawing by its first
// bytes (an empty file, a picture, an archive) never goes to Ghostscript; one without a
// PostScript header that Ghostscript fails on is named for what it is too (NotADrawing). A JPEG
// that exists afterwards belongs to this source; one that is incomplete, or that Ghostscript made
// while failing, is removed; a complete one is made no more readable than the source. A source that
// is not a regular file is never read, so a pipe or device cannot block. `runFiles` are checked,
// and written again where changed, before and after Ghostscript runs: a change made while it ran
// fails the item, naming the files. Raises a failure only when the working folder is not private, a
// changed file cannot be written again or the picture cannot be made as private as the source.
// After any outcome but Converted neither current.eps nor current.jpg is left.
Rasterisation RasteriseEps(const QString& source, const RunFiles& runFiles,
                           platform::Launcher& launcher,
                           const PauseFunction& pause = platform::Pause,
                           int timeLimitMs = GhostscriptTimeLimitMs,
                           qint64 memoryLimitBytes = GhostscriptMemoryLimitBytes());

} // namespace rasterise
