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
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>
#include <csignal>

namespace rasterise {

namespace {

using platform::Native;

bool IsFile(const QString& path) { return QFileInfo(path).isFile(); }

QString LauncherPath(int slot) { return WorkingFolder(slot) + QStringLiteral("/gswin32c"); }

// Why the launcher did not start Ghostscript: it is missing, it cannot be run, or what it said.
QString LauncherTrouble(const LoggedCommand& gs, int slot) {
    const QString launcher = Native(LauncherPath(slot));
    if (!QFileInfo::exists(LauncherPath(slot)))
        return QStringLiteral("its launcher %1 is missing; reinstalling Pellarine brings it back")
            .arg(launcher);
    if (gs.status == 126)
        return QStringLiteral("its launcher %1 cannot be run; reinstalling Pellarine mends it")
            .arg(launcher);
    QString detail, said;
    ExplainFailure(gs, detail, said);
    if (said.isEmpty())
        return QStringLiteral("its launcher %1 failed: %2").arg(launcher, detail);
    return QStringLiteral("its launcher %1 said: %2").arg(launcher, wording::Quoted(said));
}

// A disk with less room than this is taken for full when a picture could not be written.
constexpr qint64 FullBelowBytes = 1 << 20;

// Whether the working folder's disk is full, which explains a failure to write the picture.
bool WorkingFolderFull(int slot) {
    const std::optional<qint64> free = platform::FreeBytes(WorkingFolder(slot));
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

// Opens the source and copies it to current.eps, then gives a copy whose header defers its
// bounding box to the end the trailer's box.
std::optional<Rasterisation> CopySource(const QString& source, int slot, Prepared& prepared) {
    platform::OpenedFile opened;
    try {
        opened = platform::OpenSourceFile(source);
    } catch (const platform::Failure& failure) {
        return Rasterisation{failure.number == platform::errors::PathFileAccess
                                 ? Rasterised::NotAFile
                                 : Rasterised::CopyFailed,
                             failure.description, failure.number};
    }
    prepared.readers = opened.readers;
    prepared.folder = opened.folder;
    try {
        platform::CopyOpenedFile(opened.file, CurrentEpsPath(slot));
        prepared.box = boundingbox::PrepareCopy(CurrentEpsPath(slot));
    } catch (const platform::Failure& failure) {
        // The copy goes into the working folder, so a full disk there is what to tell.
        if (failure.number == platform::errors::DiskFull)
            return Rasterisation{Rasterised::WorkingFolderFull, Native(WorkingFolder(slot))};
        return Rasterisation{Rasterised::CopyFailed, failure.description, failure.number};
    }
    return std::nullopt;
}

// Readies the working folder of `slot` and the copy of `source` in it. Touches only files, so it
// runs away from the window. Raises a failure when the working folder is not private or a
// changed file cannot be written again.
Prepared Prepare(const QString& source, const RunFiles& files, int slot) {
    ClearWorkingFolder(files, slot);
    QFile::remove(BatchLogPath(slot));
    // A change made since the last file was not made by a drawing of this run (the one before
    // was checked when it ended): writing the files again is all there is to do.
    RestoreChangedFiles(files);
    Prepared prepared;
    prepared.failed = CopySource(source, slot, prepared);
    if (prepared.failed)
        return prepared;
    prepared.kind = filekind::OfFile(CurrentEpsPath(slot));
    if (filekind::NeverADrawing(prepared.kind)) {
        QFile::remove(CurrentEpsPath(slot));
        prepared.failed = {Rasterised::NotADrawing, filekind::NotADrawing(prepared.kind)};
    }
    return prepared;
}

// How the batch file's run ended, when it has no exit status to give.
constexpr int LaunchFailed = -1;
constexpr int TimedOut = -2;
constexpr int Stopped = -3;

// What the batch file's run gave, from how it ended, its log and the picture.
Rasterisation Judge(int ended, const QString& launchFailure, int slot) {
    if (ended == LaunchFailed)
        return {Rasterised::LaunchFailed, launchFailure};
    if (ended == TimedOut)
        // Ghostscript was ended before the batch file could delete its input, and whatever
        // image it had begun is incomplete.
        return {Rasterised::TimedOut, {}};
    if (ended == Stopped)
        return {Rasterised::Stopped, {}};
    if (IsFile(CurrentEpsPath(slot)))
        // The batch file ended without reaching its last line: the interpreter itself failed.
        return {Rasterised::BatchFailed,
                ended == batchlog::NoLogStatus
                    ? QStringLiteral("the batch interpreter cannot write its log %1")
                          .arg(Native(BatchLogPath(slot)))
                    : QStringLiteral("the batch interpreter ended with status %1").arg(ended)};
    const std::optional<LoggedCommand> gs = GhostscriptEntry(slot);
    if (gs && (gs->status == 126 || gs->status == 127))
        return {Rasterised::NotStarted, LauncherTrouble(*gs, slot)};
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
    if (!IsFile(CurrentJpgPath(slot)))
        return {Rasterised::NoImage, {}};
    if (!PicturesAreWhole(CurrentJpgPath(slot)))
        return {Rasterised::Incomplete, {}};
    return {Rasterised::Converted, {}};
}

// What the run of the batch file in `slot` gave for the copy `prepared`, with the run files
// checked again; away from the window, as it reads the picture through.
Rasterisation Conclude(int ended, const QString& launchFailure, const Prepared& prepared,
                       const RunFiles& files, int slot) {
    Rasterisation outcome = Judge(ended, launchFailure, slot);
    const bool ghostscriptFailed =
        outcome.result == Rasterised::GhostscriptError || outcome.result == Rasterised::NoImage;
    if (ghostscriptFailed && prepared.kind != filekind::Kind::PostScript)
        outcome = {Rasterised::NotADrawing, filekind::NotADrawing(prepared.kind), 0, outcome.said};
    else if (outcome.result == Rasterised::GhostscriptError &&
             prepared.box == boundingbox::Box::NotGiven)
        outcome = {Rasterised::GhostscriptError, NoBoxAtTheEnd};
    if ((ghostscriptFailed || outcome.result == Rasterised::Incomplete) && WorkingFolderFull(slot))
        outcome = {Rasterised::WorkingFolderFull, Native(WorkingFolder(slot))};
    if (const QStringList changed = RestoreChangedFiles(files); !changed.isEmpty())
        outcome = {Rasterised::ChangedRunFiles, changed.join(QStringLiteral(", "))};
    if (outcome.result != Rasterised::Converted) {
        QFile::remove(CurrentEpsPath(slot));
        QFile::remove(CurrentJpgPath(slot));
        return outcome;
    }
    // The picture, and so the PDF printed from it, is no more readable than the source.
    platform::LimitReaders(CurrentJpgPath(slot), prepared.readers);
    outcome.sourceFolder = prepared.folder;
    return outcome;
}

// Runs `work` away from the window and hands what it gave, or the failure it raised, to `then`
// on the window's thread, unless `context` has gone by then.
template <typename T>
void Away(QObject* context, std::function<T()> work,
          std::function<void(std::variant<T, platform::Failure>)> then) {
    using Result = std::variant<T, platform::Failure>;
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, context, [watcher, then] {
        watcher->deleteLater();
        then(watcher->result());
    });
    // Whatever the work throws comes back as a failure: an exception left in the future would be
    // thrown again on the window's thread, by result().
    watcher->setFuture(QtConcurrent::run([work]() -> Result {
        std::optional<T> value;
        if (const std::optional<platform::Failure> failure =
                platform::Caught([&] { value = work(); }))
            return *failure;
        return std::move(*value);
    }));
}

} // namespace

Job::Job(int slot_, RunFiles files_, platform::Launcher& launcher_, Limits limits_, QObject* parent)
    : QObject(parent), slot(slot_), files(std::move(files_)), launcher(launcher_), limits(limits_) {
    clock.setSingleShot(true);
    connect(&clock, &QTimer::timeout, this, [this] { end(TimedOut); });
}

Job::~Job() {
    if (processId != 0)
        launcher.terminateTree(processId);
}

void Job::start(const QString& source) {
    busy = true;
    stopped = false;
    result = {};
    Away<Prepared>(
        this, [source, files = files, slot = slot] { return Prepare(source, files, slot); },
        [this](std::variant<Prepared, platform::Failure> prepared) {
            if (const auto* failure = std::get_if<platform::Failure>(&prepared))
                return finish(
                    Rasterisation{Rasterised::Failure, failure->description, failure->number});
            copy = std::get<Prepared>(prepared);
            if (copy.failed)
                return finish(*copy.failed);
            if (stopped)
                return conclude(Stopped, {});
            launch();
        });
}

void Job::launch() {
    const platform::Ceiling ceiling{limits.memoryBytes, pdfwriterkeys::LargestPictureBytes,
                                    GhostscriptTasks};
    const Shell32::ShellResult started = Shell32::ShellExecuteFile(
        launcher, QLatin1Char('"') + BatchFilePath(slot) + QLatin1Char('"'), 0, QString(),
        WorkingFolder(slot) + QLatin1Char('/'), QStringLiteral("open"), nullptr, ceiling);
    if (started.error)
        return conclude(LaunchFailed, started.reason.isEmpty()
                                          ? started.error->description
                                          : started.error->description + QStringLiteral(" (") +
                                                started.reason + QLatin1Char(')'));
    processId = started.processId;
    clock.start(limits.timeMs);
    launcher.whenEnded(processId, this, [this, pid = processId](int status) {
        if (pid == processId)
            end(status);
    });
}

void Job::end(int status) {
    if (processId == 0)
        return;
    const qint64 pid = processId;
    processId = 0;
    clock.stop();
    if (status == TimedOut || status == Stopped)
        launcher.terminateTree(pid);
    launcher.release(pid);
    conclude(status, {});
}

void Job::conclude(int ended, const QString& launchFailure) {
    concluding = true;
    emit drawn();
    Away<Rasterisation>(
        this,
        [=, copy = copy, files = files, slot = slot] {
            return Conclude(ended, launchFailure, copy, files, slot);
        },
        [this](std::variant<Rasterisation, platform::Failure> concluded) {
            if (const auto* failure = std::get_if<platform::Failure>(&concluded))
                return finish(
                    Rasterisation{Rasterised::Failure, failure->description, failure->number});
            finish(std::get<Rasterisation>(concluded));
        });
}

void Job::finish(const Rasterisation& outcome) {
    result = outcome;
    busy = false;
    concluding = false;
    emit done();
}

void Job::stop() {
    stopped = true;
    if (processId != 0)
        end(Stopped);
}

} // namespace rasterise
