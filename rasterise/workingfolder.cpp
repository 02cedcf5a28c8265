#include "rasterise/workingfolder.h"

#include "common/paths.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/privatefolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace rasterise {

namespace {

using platform::Native;

// The permissions of a file the run wrote: read-only, and executable when `executable`, for
// this user alone.
QFile::Permissions ReadOnlyMode(bool executable) {
    return executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner;
}

// Removes whatever is at `path`, but a folder, so that a new file can be made there.
void RemoveOld(const QString& path) {
    if (QFileInfo(path).exists() && !QFileInfo(path).isDir())
        platform::RemoveFile(path);
}

void MakeReadOnly(const QString& path, bool executable) {
    if (!QFile::setPermissions(path, ReadOnlyMode(executable)))
        platform::Raise(platform::errors::PermissionDenied,
                        QStringLiteral("The file %1 cannot be made read-only.").arg(Native(path)));
}

// Puts `bytes` at `path` as a new read-only file (executable when `executable`), whatever was
// there before.
void WriteReadOnly(const QString& path, const QByteArray& bytes, bool executable) {
    RemoveOld(path);
    platform::WriteFileBytes(path, bytes);
    MakeReadOnly(path, executable);
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

QString WorkingFolder(int slot) {
    return platform::TempFolder() + QStringLiteral("/ps") +
           (slot == 0 ? QString() : QStringLiteral("-%1").arg(slot + 1));
}
QString BatchFilePath(int slot) { return WorkingFolder(slot) + QStringLiteral("/eps2jpg.bat"); }
QString CurrentEpsPath(int slot) { return WorkingFolder(slot) + QStringLiteral("/current.eps"); }
QString CurrentJpgPath(int slot) { return WorkingFolder(slot) + QStringLiteral("/current.jpg"); }
QString BatchLogPath(int slot) { return WorkingFolder(slot) + QStringLiteral("/eps2jpg.log"); }

QString MakeWorkingFolder(int slot) {
    const QString folder = WorkingFolder(slot);
    if (!QFileInfo::exists(folder) &&
        !QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        platform::Raise(
            platform::errors::PathNotFound,
            QStringLiteral("The working folder %1 cannot be created.").arg(Native(folder)));
    platform::CheckPrivateFolder(folder);
    return folder;
}

RunFiles PrepareWorkingFolder(const QString& applicationFolder, int slot) {
    const QString from = applicationFolder + QStringLiteral("/ps");
    if (!QFileInfo(from).isDir())
        platform::Raise(platform::errors::PathNotFound,
                        QStringLiteral("The folder %1 is missing.").arg(Native(from)));
    const QString to = MakeWorkingFolder(slot);

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

void WriteBatchFile(const QString& batchText, RunFiles& files, int slot) {
    const QString path = BatchFilePath(slot);
    RemoveOld(path);
    paths::WriteTextFile(path, batchText);
    MakeReadOnly(path, false);
    files.insert(path, {batchText.toUtf8(), false});
}

void ClearWorkingFolder(const RunFiles& files, int slot) {
    platform::CheckPrivateFolder(WorkingFolder(slot));
    QSet<QString> kept(files.keyBegin(), files.keyEnd());
    kept.insert(BatchLogPath(slot));
    platform::RemoveAllBut(WorkingFolder(slot), kept);
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

} // namespace rasterise
