#include "convert/rasterise.h"

#include "convert/paths.h"
#include "platform/batchlog.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/launcher.h"
#include "platform/pdfwriter.h"
#include "platform/privatefolder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace rasterise {

namespace {

bool IsFile(const QString& path) { return QFileInfo(path).isFile(); }

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

void CopyReplacing(const QString& from, const QString& to) {
    if (QFileInfo(to).isFile() && !QFile::remove(to))
        platform::Raise(platform::errors::PermissionDenied,
                        QStringLiteral("The file %1 cannot be replaced.").arg(Native(to)));
    QFile source(from);
    if (!source.copy(to))
        platform::Raise(platform::errors::PathFileAccess,
                        QStringLiteral("The file %1 cannot be copied to %2: %3")
                            .arg(Native(from), Native(to), source.errorString()));
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

QString BatchText(int quality) {
    return QStringLiteral("gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -dJPEGQ=") +
           QString::number(std::max(quality, 1)) +
           QStringLiteral(" -dDOINTERPOLATE -dGraphicsAlphaBits=4 -dEPSCrop ") +
           QStringLiteral("-sOutputFile=current.jpg current.eps") + QStringLiteral("\r\n") +
           QStringLiteral("del current.eps");
}

void PrepareWorkingFolder(const QString& applicationFolder) {
    const QString from = applicationFolder + QStringLiteral("/ps");
    const QString to = WorkingFolder();
    if (!QFileInfo(from).isDir())
        platform::Raise(platform::errors::PathNotFound,
                        QStringLiteral("The folder %1 is missing.").arg(Native(from)));
    if (!QFileInfo::exists(to) &&
        !QDir().mkdir(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        platform::Raise(platform::errors::PathNotFound,
                        QStringLiteral("The working folder %1 cannot be created.").arg(Native(to)));
    platform::CheckPrivateFolder(to);

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
        } else {
            CopyReplacing(path, target);
        }
    }
}

void WriteBatchFile(const QString& batchText) {
    paths::DeleteFileQuiet(BatchFilePath());
    paths::WriteTextFile(BatchFilePath(), batchText);
}

QList<LoggedCommand> ReadBatchLog(const QString& path) {
    namespace log = platform::batchlog;
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
    for (const QString& line : gs.output)
        if (line.contains(QLatin1String("VMerror")) ||
            line.contains(QLatin1String("Last OS error: 12")) ||
            line.contains(QLatin1String("Cannot allocate memory"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
            return true;
    return false;
}

// The line that says best why Ghostscript failed: its own "Error:" line, else the last line that
// speaks of an error, else how it ended.
QString ErrorLine(const LoggedCommand& gs) {
    const int status = gs.status.value_or(-1);
    if (status > 128)
        return QStringLiteral("Ghostscript was ended by signal %1").arg(status - 128);
    for (const QString& line : gs.output)
        if (line.startsWith(QLatin1String("Error: ")))
            return line.trimmed();
    // Ghostscript's greeting says nothing about the failure.
    static const QStringList greeting{
        QStringLiteral("GPL Ghostscript"), QStringLiteral("Copyright (C)"),
        QStringLiteral("This software is supplied"), QStringLiteral("see the file COPYING")};
    for (auto it = gs.output.crbegin(); it != gs.output.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty() && std::none_of(greeting.cbegin(), greeting.cend(),
                                            [&](const QString& g) { return line.startsWith(g); }))
            return line;
    }
    return QStringLiteral("Ghostscript ended with status %1").arg(status);
}

// Only the end of the picture tells, so only the end is read.
bool JpegIsComplete(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.seek(std::max<qint64>(0, file.size() - 64)) &&
           platform::JpegIsComplete(file.readAll());
}

} // namespace

Rasterisation RasteriseEps(const QString& source, platform::Launcher& launcher,
                           const PauseFunction& pause, int timeLimitMs, qint64 memoryLimitBytes) {
    const QString eps = CurrentEpsPath();
    const QString jpg = CurrentJpgPath();
    platform::CheckPrivateFolder(WorkingFolder());
    paths::DeleteFileQuiet(eps);
    paths::DeleteFileQuiet(jpg);
    QFile::remove(BatchLogPath());
    if (const auto kind = platform::NonRegularKind(source))
        return {Rasterised::NotAFile, QStringLiteral("it is %1, not a regular file").arg(*kind),
                platform::errors::PathFileAccess};
    try {
        platform::CopyRegularFile(source, eps, platform::Yield);
    } catch (const platform::Failure& failure) {
        return {Rasterised::CopyFailed, failure.description, failure.number};
    }

    QElapsedTimer clock;
    clock.start();
    while (!IsFile(eps)) {
        if (clock.elapsed() >= CopyWaitMs)
            return {Rasterised::CopyFailed, QStringLiteral("the copy never appeared"),
                    platform::errors::PathFileAccess};
        platform::Yield();
        pause(100);
    }

    QString launchFailure;
    const int ended = Shell32::ShellAndWait(
        launcher, QLatin1Char('"') + BatchFilePath() + QLatin1Char('"'), 0,
        WorkingFolder() + QLatin1Char('/'), timeLimitMs, memoryLimitBytes, &launchFailure);
    if (ended == Shell32::LaunchFailed) {
        QFile::remove(eps);
        return {Rasterised::LaunchFailed, launchFailure};
    }
    if (ended != Shell32::TimedOut) {
        // The batch file has ended; its last line has removed the input, or never will.
        clock.restart();
        while (IsFile(eps) && clock.elapsed() < CopyWaitMs) {
            platform::Yield();
            pause(100);
        }
    }
    const std::optional<LoggedCommand> gs = GhostscriptEntry();
    Rasterisation outcome{Rasterised::Converted, {}};
    if (ended == Shell32::TimedOut)
        // Ghostscript was ended before the batch file could delete its input, and whatever
        // image it had begun is incomplete.
        outcome = {Rasterised::TimedOut, {}};
    else if (IsFile(eps))
        // The batch file ended without reaching its last line: the interpreter itself failed.
        outcome = {Rasterised::BatchFailed,
                   QStringLiteral("the batch interpreter ended with status %1").arg(ended)};
    else if (gs && (gs->status == 126 || gs->status == 127))
        outcome = {Rasterised::NotStarted, ErrorLine(*gs)};
    else if (gs && gs->status.value_or(0) != 0)
        outcome = {RanOutOfMemory(*gs) ? Rasterised::OutOfMemory : Rasterised::GhostscriptError,
                   ErrorLine(*gs)};
    else if (!gs || !gs->status)
        outcome = {Rasterised::GhostscriptError,
                   QStringLiteral("Ghostscript did not run to its end")};
    else if (!IsFile(jpg))
        outcome = {Rasterised::NoImage, {}};
    else if (!JpegIsComplete(jpg))
        outcome = {Rasterised::Incomplete, {}};
    if (outcome.result != Rasterised::Converted) {
        QFile::remove(eps);
        QFile::remove(jpg);
    }
    return outcome;
}

} // namespace rasterise
