#include "convert/rasterise.h"

#include "convert/paths.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/launcher.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

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

QString WorkingFolder() { return platform::TempFolder() + QStringLiteral("/ps"); }
QString BatchFilePath() { return WorkingFolder() + QStringLiteral("/eps2jpg.bat"); }
QString CurrentEpsPath() { return WorkingFolder() + QStringLiteral("/current.eps"); }
QString CurrentJpgPath() { return WorkingFolder() + QStringLiteral("/current.jpg"); }

QString BatchText(int quality) {
    return QStringLiteral("gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -dJPEGQ=") +
           QString::number(quality) +
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

Rasterised RasteriseEps(const QString& source, platform::Launcher& launcher,
                        const Shell32::PauseFunction& pause, int timeLimitMs) {
    const QString eps = CurrentEpsPath();
    const QString jpg = CurrentJpgPath();
    platform::CheckPrivateFolder(WorkingFolder());
    paths::DeleteFileQuiet(eps);
    paths::DeleteFileQuiet(jpg);
    if (!QFileInfo::exists(source))
        platform::Raise(platform::errors::FileNotFound,
                        QStringLiteral("The file %1 cannot be found.").arg(Native(source)));
    CopyReplacing(source, eps);

    QElapsedTimer clock;
    clock.start();
    while (!IsFile(eps)) {
        if (clock.elapsed() >= CopyWaitMs)
            return Rasterised::CopyFailed;
        platform::Yield();
        pause(100);
    }

    clock.restart();
    const int ended =
        Shell32::ShellAndWait(launcher, QLatin1Char('"') + BatchFilePath() + QLatin1Char('"'), 0,
                              WorkingFolder() + QLatin1Char('/'), pause, timeLimitMs);
    if (ended == Shell32::LaunchFailed) {
        QFile::remove(eps);
        return Rasterised::LaunchFailed;
    }
    if (ended != Shell32::TimedOut) {
        // The batch file has ended; its last line has removed the input, or never will.
        clock.restart();
        while (IsFile(eps) && clock.elapsed() < CopyWaitMs) {
            platform::Yield();
            pause(100);
        }
    }
    if (ended == Shell32::TimedOut || IsFile(eps)) {
        // Ghostscript was ended before the batch file could delete its input, and whatever
        // image it had begun is incomplete.
        QFile::remove(eps);
        QFile::remove(jpg);
        return Rasterised::TimedOut;
    }
    return IsFile(jpg) ? Rasterised::Converted : Rasterised::NoImage;
}

} // namespace rasterise
