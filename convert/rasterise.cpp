#include "convert/rasterise.h"

#include "common/batchlog.h"
#include "common/paths.h"
#include "common/pdfwriterkeys.h"
#include "common/wording.h"
#include "convert/boundingbox.h"
#include "convert/filekind.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/launcher.h"
#include "platform/pathwalk.h"
#include "platform/privatefolder.h"

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

// The permissions of a file the run wrote: read-only, and executable when `executable`, for
// this user alone.
QFile::Permissions ReadOnlyMode(bool executable) {
    return executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner;
}

// Puts `bytes` at `path` as a new read-only file (executable when `executable`), whatever was
// there before.
void WriteReadOnly(const QString& path, const QByteArray& bytes, bool executable) {
    if (QFileInfo(path).exists() && !QFileInfo(path).isDir())
        platform::RemoveFile(path);
    platform::WriteFileBytes(path, bytes);
    if (!QFile::setPermissions(path, ReadOnlyMode(executable)))
        platform::Raise(platform::errors::PermissionDenied,
                        QStringLiteral("The file %1 cannot be made read-only.").arg(Native(path)));
}

// Whether the file at `path` (not a link) still holds `file`'s bytes and permissions.
bool Holds(const QString& path, const RunFile& file) {
    constexpr QFile::Permissions OfAnyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFileInfo info(path);
    QFile opened(path);
    return !info.isSymLink() && (info.permissions() & OfAnyone) == ReadOnlyMode(file.executable) &&
           opened.open(QIODevice::ReadOnly) && opened.read(file.bytes.size() + 1) == file.bytes;
}

} // namespace

bool GhostscriptFound() { return platform::ProgramOnPath(QStringLiteral("gs")); }

QString WorkingFolder() { return platform::TempFolder() + QStringLiteral("/ps"); }
QString BatchFilePath() { return WorkingFolder() + QStringLiteral("/eps2jpg.bat"); }
QString CurrentEpsPath() { return WorkingFolder() + QStringLiteral("/current.eps"); }
QString CurrentJpgPath() { return WorkingFolder() + QStringLiteral("/current.jpg"); }
QString BatchLogPath() { return WorkingFolder() + QStringLiteral("/eps2jpg.log"); }

qint64 GhostscriptMemoryLimitBytes() {
    constexpr qint64 GiB = qint64(1) << 30;
    return std::clamp(platform::PhysicalMemoryBytes() / 4, GiB, 4 * GiB);
}

std::optional<int> ResolutionFromText(const QString& text) {
    for (const int resolution : Resolutions)
        if (text.trimmed() == QString::number(resolution))
            return resolution;
    return std::nullopt;
}

QString ResolutionList() {
    QStringList words;
    for (const int resolution : Resolutions)
        words << QString::number(resolution);
    const QString last = words.takeLast();
    return words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

std::optional<int> LowerResolution(int resolution) {
    std::optional<int> lower;
    for (const int listed : Resolutions)
        if (listed < resolution)
            lower = listed;
    return lower;
}

QString BatchText(int quality, int resolution) {
    const QString switchOfResolution =
        resolution == DefaultResolution ? QString() : QStringLiteral("-r%1 ").arg(resolution);
    return QStringLiteral("gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg ") +
           switchOfResolution + QStringLiteral("-dJPEGQ=") + QString::number(std::max(quality, 1)) +
           QStringLiteral(" -dDOINTERPOLATE -dGraphicsAlphaBits=4 -dEPSCrop ") +
           QStringLiteral("-sOutputFile=current.jpg current.eps") + QStringLiteral("\r\n") +
           QStringLiteral("del current.eps");
}

QString MakeWorkingFolder() {
    const QString folder = WorkingFolder();
    if (!QFileInfo::exists(folder) &&
        !QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        platform::Raise(
            platform::errors::PathNotFound,
            QStringLiteral("The working folder %1 cannot be created.").arg(Native(folder)));
    platform::CheckPrivateFolder(folder);
    return folder;
}

RunFiles PrepareWorkingFolder(const QString& applicationFolder) {
    const QString from = applicationFolder + QStringLiteral("/ps");
    if (!QFileInfo(from).isDir())
        platform::Raise(platform::errors::PathNotFound,
                        QStringLiteral("The folder %1 is missing.").arg(Native(from)));
    const QString to = MakeWorkingFolder();

    RunFiles files;
    QDirIterator entries(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (entries.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                platform::Raise(
                    platform::errors::PathFileAccess,
                    QStringLiteral("The folder %1 cannot be created.").arg(Native(target)));
            continue;
        }
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly))
            platform::Raise(platform::errors::PathFileAccess,
                            QStringLiteral("The file %1 cannot be read: %2")
                                .arg(Native(path), source.errorString()));
        const RunFile file{source.readAll(), entries.fileInfo().isExecutable()};
        WriteReadOnly(target, file.bytes, file.executable);
        files.insert(target, file);
    }
    return files;
}

void WriteBatchFile(const QString& batchText, RunFiles& files) {
    const QByteArray bytes = batchText.toUtf8();
    WriteReadOnly(BatchFilePath(), bytes, false);
    files.insert(BatchFilePath(), {bytes, false});
}

void ClearWorkingFolder(const RunFiles& files) {
    platform::CheckPrivateFolder(WorkingFolder());
    QSet<QString> kept(files.keyBegin(), files.keyEnd());
    kept.insert(BatchLogPath());
    platform::RemoveAllBut(WorkingFolder(), kept);
}

QStringList RestoreChangedFiles(const RunFiles& files) {
    QStringList changed;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (Holds(it.key(), *it))
            continue;
        changed << QFileInfo(it.key()).fileName();
        WriteReadOnly(it.key(), it->bytes, it->executable);
    }
    return changed;
}

QList<LoggedCommand> ReadBatchLog(const QString& path) {
    namespace log = batchlog;
    QList<LoggedCommand> commands;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return commands;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        const QString text = line.mid(2);
        if (line.startsWith(QLatin1String(log::CommandMark)))
            commands.append({text, std::nullopt, {}});
        else if (commands.isEmpty())
            continue;
        else if (line.startsWith(QLatin1String(log::OutputMark)))
            commands.last().output.append(text);
        else if (line.startsWith(QLatin1String(log::StatusMark)))
            commands.last().status = text.toInt();
        else if (line.startsWith(QLatin1String(log::NoteMark)) &&
                 text == QLatin1String(log::CeilingReached))
            commands.last().ceilingReached = true;
    }
    return commands;
}

namespace {

// What the log says of the Ghostscript line of the batch file.
std::optional<LoggedCommand> GhostscriptEntry() {
    for (const LoggedCommand& command : ReadBatchLog(BatchLogPath()))
        if (command.line.startsWith(QLatin1String("gswin32c ")))
            return command;
    return std::nullopt;
}

bool RanOutOfMemory(const LoggedCommand& gs) {
    if (gs.ceilingReached)
        return true;
    for (const QString& line : gs.output)
        if (line.contains(QLatin1String("VMerror")) ||
            line.contains(QLatin1String("Last OS error: 12")) ||
            line.contains(QLatin1String("Cannot allocate memory"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
            return true;
    return false;
}

// Whether a line Ghostscript printed speaks of a failure: its font and page notes do not.
bool TellsOfFailure(const QString& line) {
    static const QStringList words{
        QStringLiteral("error"),  QStringLiteral("unable"),  QStringLiteral("cannot"),
        QStringLiteral("can't"),  QStringLiteral("failed"),  QStringLiteral("not found"),
        QStringLiteral("denied"), QStringLiteral("invalid"), QStringLiteral("no such")};
    return std::any_of(words.cbegin(), words.cend(), [&](const QString& word) {
        return line.contains(word, Qt::CaseInsensitive);
    });
}

// Why Ghostscript failed: the last "Error:" line it printed (its own follows whatever the
// drawing printed), else the last line that speaks of a failure, kept as printed in `said`;
// else how it ended, in the program's words in `detail`.
void ExplainFailure(const LoggedCommand& gs, Rasterisation& outcome) {
    const int status = gs.status.value_or(-1);
    if (status > 128) {
        outcome.detail = QStringLiteral("Ghostscript was ended by signal %1").arg(status - 128);
        return;
    }
    for (auto it = gs.output.crbegin(); it != gs.output.crend(); ++it)
        if (it->startsWith(QLatin1String("Error: "))) {
            outcome.said = it->trimmed();
            return;
        }
    for (auto it = gs.output.crbegin(); it != gs.output.crend(); ++it)
        if (TellsOfFailure(*it)) {
            outcome.said = it->trimmed();
            return;
        }
    outcome.detail = QStringLiteral("Ghostscript ended with status %1").arg(status);
}

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
    ExplainFailure(gs, failure);
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

// A picture whose writing was cut off lacks its end-of-image marker; encoders may pad a few
// bytes after it. Only the end tells, so only the end is read.
bool JpegIsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(0, file.size() - 64)))
        return false;
    const QByteArray end = file.readAll();
    const qsizetype marker = end.lastIndexOf("\xFF\xD9");
    return marker >= 0 && end.size() - marker - 2 <= 16;
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
        ExplainFailure(*gs, failed);
        return failed;
    }
    if (!gs || !gs->status)
        return {Rasterised::GhostscriptError, QStringLiteral("Ghostscript did not run to its end")};
    if (!IsFile(CurrentJpgPath()))
        return {Rasterised::NoImage, {}};
    if (!JpegIsComplete(CurrentJpgPath()))
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
