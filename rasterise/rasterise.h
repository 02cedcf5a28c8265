#pragma once

#include "platform/filesystem.h"
#include "platform/pathwalk.h"
#include "rasterise/boundingbox.h"
#include "rasterise/filekind.h"
#include "rasterise/limits.h"
#include "rasterise/switches.h"
#include "rasterise/workingfolder.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

namespace platform {
class Launcher;
}

// Rasterising one EPS file to a JPEG with Ghostscript, through a generated batch file run in
// the private working folder. The batch file deletes its input when done: an input still there
// after the run tells that the batch file did not reach its last line.
namespace rasterise {

// Why a drawing whose header defers its bounding box to its end, where none is given, fails.
inline const QString NoBoxAtTheEnd =
    QStringLiteral("its header says its bounding box comes at its end (\"(atend)\"), but none is "
                   "given there; saving it again from the program that made it may mend it");

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
    Stopped,           // the run was stopped, and Ghostscript with it
    Failure,           // the working folder could not be used: a failure, told as such
};

// The outcome of rasterising one source, with what Ghostscript or the system said about it.
struct Rasterisation {
    Rasterised result = Rasterised::NoImage;
    QString detail;  // the program's own words: what the system said, how Ghostscript ended
    int failure = 0; // NotAFile, CopyFailed, Failure: the failure number, for the report
    // The line Ghostscript printed about its failure, as printed: its words or the drawing's,
    // never to be shown but quoted.
    QString said = {};
    // The folder that held the source's name when it was read.
    std::optional<platform::FolderIdentity> sourceFolder = {};
};

// What readying a copy for Ghostscript gave.
struct Prepared {
    std::optional<Rasterisation> failed; // why the copy cannot go to Ghostscript
    boundingbox::Box box = boundingbox::Box::AsGiven;
    filekind::Kind kind = filekind::Kind::Other;
    platform::Readers readers{};
    platform::FolderIdentity folder{};
};

// One drawing rasterised in the working folder of one slot, driven by events. start() readies
// the folder and the copy away from the window: it clears the folder of all but the run files,
// opens the source once (refusing a link of another user's on its way, see
// platform::OpenSourceFile) and copies it to current.eps. Then it starts eps2jpg.bat hidden there
// (Ghostscript and whatever it starts bounded together by the limits' memory, every file it
// writes by the largest picture the PDF Writer prints, and the whole by the limits' time), and
// once the batch file has ended judges its run, again away from the window; done() tells the
// outcome. A copy that is no drawing by its first bytes (an empty file, a picture, an archive)
// never goes to Ghostscript; one without a PostScript header that Ghostscript fails on is named
// for what it is too (NotADrawing). A JPEG that exists afterwards belongs to this source; one that
// is incomplete, or that Ghostscript made while failing, is removed; a complete one is made no
// more readable than the source. A source that is not a regular file is never read, so a pipe or
// device cannot block. The run files are checked, and written again where changed, before and
// after Ghostscript runs: a change made while it ran fails the drawing, naming the files. After
// any outcome but Converted neither current.eps nor current.jpg is left.
class Job final : public QObject {
    Q_OBJECT
public:
    Job(int slot, RunFiles files, platform::Launcher& launcher, Limits limits,
        QObject* parent = nullptr);
    // Ends Ghostscript when it still runs.
    ~Job() override;

    // Rasterises `source`; done() follows, never from inside this call.
    void start(const QString& source);
    // Ends Ghostscript at once, when it runs; done() follows with Stopped.
    void stop();

    bool working() const { return busy; }
    // Whether it is readying its drawing or its Ghostscript runs: what counts against the
    // Ghostscripts at once. The picture is checked after that, while the next may start.
    bool drawing() const { return busy && !concluding; }
    int slotNumber() const { return slot; }
    const RunFiles& runFiles() const { return files; }
    // What the last drawing gave, once done() has been told.
    const Rasterisation& outcome() const { return result; }

signals:
    // Its Ghostscript has ended (or never started); the picture is being checked.
    void drawn();
    void done();

private:
    void launch();
    void end(int status);
    void conclude(int ended, const QString& launchFailure);
    void finish(const Rasterisation& outcome);

    int slot;
    RunFiles files;
    platform::Launcher& launcher;
    Limits limits;
    QTimer clock; // the time limit
    qint64 processId = 0;
    bool busy = false;
    bool concluding = false;
    bool stopped = false;
    Prepared copy;
    Rasterisation result;
};

} // namespace rasterise
