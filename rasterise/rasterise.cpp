#include "rasterise/rasterise.h"

#include "common/jpeg.h"
#include "common/paths.h"
#include "common/pdfwriterkeys.h"
#include "common/wording.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/launcher.h"
#include "platform/pathwalk.h"
#include "platform/privatefolder.h"
#include "rasterise/boundingbox.h"
#include "rasterise/filekind.h"
#include "rasterise/logformat.h"
#include "rasterise/runlog.h"
#include "rasterise/shell32.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csignal>

namespace rasterise {

namespace {

using platform::Native;

bool IsFile(const QString& path) { return QFileInfo(path).isFile(); }

QString LauncherPath() { return WorkingFolder() + QStringLiteral("/gswin32c"); }

// Why the launcher did not start Ghostscript: it is missing, it cannot be run, or what it said.
QString LauncherTrouble(const LoggedCommand& gs) {
    const QString launcher = Native(LauncherPath());
    if (!QFileInfo::exists(LauncherPath()))
        return QStringLiteral("its launcher %1 is missing; reinstalling Pellarine brings it back")
            .arg(launcher);
    if (gs.status == 126)
        return QStringLiteral("its launcher %1 cannot be run; reinstalling Pellarine mends it")
            .arg(launcher);
    Rasterisation failure;
    ExplainFailure(gs, failure.detail, failure.said);
    if (failure.said.isEmpty())
        return QStringLiteral("its launcher %1 failed: %2").arg(launcher, failure.detail);
    return QStringLiteral("its launcher %1 said: %2").arg(launcher, wording::Quoted(failure.said));
}

// A disk with less room than this is taken for full when a picture could not be written.
constexpr qint64 FullBelowBytes = 1 << 20;

// Whether the working folder's disk is full, which explains a failure to write the picture.
bool WorkingFolderFull() {
    const std::optional<qint64> free = platform::FreeBytes(WorkingFolder());
    return free && *free < FullBelowBytes;
}

// Whether the picture file holds whole pictures only: one cut off (a full disk, a killed
// program) or corrupt on the way is not.
bool PicturesAreWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && jpeg::WholePictures(file).has_value();
}

} // namespace

namespace {

// Opens the source into `opened` and copies it to current.eps, waits until the copy shows, then
// gives a copy whose header defers its bounding box to the end the trailer's box (`box` tells
// how that went); nothing when all went well.
std::optional<Rasterisation> CopySource(const QString& source, const PauseFunction& pause,
                                        platform::OpenedFile& opened, boundingbox::Box& box) {
    const QString eps = CurrentEpsPath();
    try {
        opened = platform::OpenSourceFile(source);
    } catch (const platform::Failure& failure) {
        return Rasterisation{failure.number == platform::errors::PathFileAccess
                                 ? Rasterised::NotAFile
                                 : Rasterised::CopyFailed,
                             failure.description, failure.number};
    }
    try {
        platform::CopyOpenedFile(opened.file, eps, platform::Yield);
    } catch (const platform::Failure& failure) {
        return Rasterisation{Rasterised::CopyFailed, failure.description, failure.number};
    }
    QElapsedTimer clock;
    clock.start();
    while (!IsFile(eps)) {
        if (clock.elapsed() >= CopyWaitMs)
            return Rasterisation{Rasterised::CopyFailed, QStringLiteral("the copy never appeared"),
                                 platform::errors::PathFileAccess};
        platform::Yield();
        pause(100);
    }
    try {
        box = boundingbox::PrepareCopy(eps);
    } catch (const platform::Failure& failure) {
        return Rasterisation{Rasterised::CopyFailed, failure.description, failure.number};
    }
    return std::nullopt;
}

// Runs the batch file and, once it has ended, waits for its last line to have removed the
// input. Answers what ShellAndWait answered.
int RunBatchFile(platform::Launcher& launcher, const PauseFunction& pause, int timeLimitMs,
                 qint64 memoryLimitBytes, QString& launchFailure) {
    const platform::Ceiling ceiling{memoryLimitBytes, pdfwriterkeys::LargestPictureBytes,
                                    GhostscriptTasks};
    const int ended = Shell32::ShellAndWait(
        launcher, QLatin1Char('"') + BatchFilePath() + QLatin1Char('"'), 0,
        WorkingFolder() + QLatin1Char('/'), timeLimitMs, ceiling, &launchFailure);
    if (ended == Shell32::LaunchFailed || ended == Shell32::TimedOut)
        return ended;
    QElapsedTimer clock;
    clock.start();
    while (IsFile(CurrentEpsPath()) && clock.elapsed() < CopyWaitMs) {
        platform::Yield();
        pause(100);
    }
    return ended;
}

// What the batch file's run gave, from how it ended, its log and the picture.
Rasterisation Judge(int ended, const QString& launchFailure) {
    if (ended == Shell32::LaunchFailed)
        return {Rasterised::LaunchFailed, launchFailure};
    if (ended == Shell32::TimedOut)
        // Ghostscript was ended before the batch file could delete its input, and whatever
        // image it had begun is incomplete.
        return {Rasterised::TimedOut, {}};
    if (IsFile(CurrentEpsPath()))
        // The batch file ended without reaching its last line: the interpreter itself failed.
        return {Rasterised::BatchFailed,
                ended == batchlog::NoLogStatus
                    ? QStringLiteral("the batch interpreter cannot write its log %1")
                          .arg(Native(BatchLogPath()))
                    : QStringLiteral("the batch interpreter ended with status %1").arg(ended)};
    const std::optional<LoggedCommand> gs = GhostscriptEntry();
    if (gs && (gs->status == 126 || gs->status == 127))
        return {Rasterised::NotStarted, LauncherTrouble(*gs)};
    if (gs && gs->status == 128 + SIGXFSZ)
        return {Rasterised::PictureTooLarge, {}};
    if (gs && gs->status.value_or(0) != 0) {
        Rasterisation failed{
            RanOutOfMemory(*gs) ? Rasterised::OutOfMemory : Rasterised::GhostscriptError, {}};
        ExplainFailure(*gs, failed.detail, failed.said);
        return failed;
    }
    if (!gs || !gs->status)
        return {Rasterised::GhostscriptError, QStringLiteral("Ghostscript did not run to its end")};
    if (!IsFile(CurrentJpgPath()))
        return {Rasterised::NoImage, {}};
    if (!PicturesAreWhole(CurrentJpgPath()))
        return {Rasterised::Incomplete, {}};
    return {Rasterised::Converted, {}};
}

} // namespace

Rasterisation RasteriseEps(const QString& source, const RunFiles& runFiles,
                           platform::Launcher& launcher, const PauseFunction& pause,
                           int timeLimitMs, qint64 memoryLimitBytes) {
    ClearWorkingFolder(runFiles);
    QFile::remove(BatchLogPath());
    // A change made since the last file was not made by a drawing of this run (the one before
    // was checked when it ended): writing the files again is all there is to do.
    RestoreChangedFiles(runFiles);
    boundingbox::Box box = boundingbox::Box::AsGiven;
    platform::OpenedFile opened;
    if (const std::optional<Rasterisation> failed = CopySource(source, pause, opened, box)) {
        // The copy goes into the working folder, so a full disk there is what to tell.
        if (failed->failure == platform::errors::DiskFull)
            return {Rasterised::WorkingFolderFull, Native(WorkingFolder())};
        return *failed;
    }
    const filekind::Kind kind = filekind::OfFile(CurrentEpsPath());
    if (filekind::NeverADrawing(kind)) {
        QFile::remove(CurrentEpsPath());
        return {Rasterised::NotADrawing, filekind::NotADrawing(kind)};
    }

    QString launchFailure;
    const int ended = RunBatchFile(launcher, pause, timeLimitMs, memoryLimitBytes, launchFailure);
    Rasterisation outcome = Judge(ended, launchFailure);
    const bool ghostscriptFailed =
        outcome.result == Rasterised::GhostscriptError || outcome.result == Rasterised::NoImage;
    if (ghostscriptFailed && kind != filekind::Kind::PostScript)
        outcome = {Rasterised::NotADrawing, filekind::NotADrawing(kind), 0, outcome.said};
    else if (outcome.result == Rasterised::GhostscriptError && box == boundingbox::Box::NotGiven)
        outcome = {Rasterised::GhostscriptError, NoBoxAtTheEnd};
    if ((ghostscriptFailed || outcome.result == Rasterised::Incomplete) && WorkingFolderFull())
        outcome = {Rasterised::WorkingFolderFull, Native(WorkingFolder())};
    if (const QStringList changed = RestoreChangedFiles(runFiles); !changed.isEmpty())
        outcome = {Rasterised::ChangedRunFiles, changed.join(QStringLiteral(", "))};
    if (outcome.result != Rasterised::Converted) {
        QFile::remove(CurrentEpsPath());
        QFile::remove(CurrentJpgPath());
        return outcome;
    }
    // The picture, and so the PDF printed from it, is no more readable than the source.
    platform::LimitReaders(CurrentJpgPath(), opened.readers);
    outcome.sourceFolder = opened.folder;
    return outcome;
}

} // namespace rasterise
