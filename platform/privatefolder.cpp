#include "platform/privatefolder.h"

#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Whether `path` is a real folder (not a link) of this user's that only this user can enter.
bool IsOurPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// A folder only this user can enter: created with mode 0700 when missing, and accepted only
// when it is a real folder (not a link) owned by this user; closed to everybody else if it was
// not.
QString PrivateFolder(const QString& parent, const QString& name) {
    const QString path = QDir(parent).filePath(name);
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return {};
    return path;
}

// When another user has taken the usual name: a folder of our own named after it with an
// unpredictable ending, made as mkdtemp makes it. Every copy of the program looks for one made
// before, so they go on sharing it; nobody else can make one that passes as ours.
QString PrivateFolderInsteadOf(const QString& parent, const QString& name) {
    const QDir folder(parent);
    const QStringList made =
        folder.entryList({name + QStringLiteral("-??????")},
                         QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : made) {
        const QByteArray path = QFile::encodeName(folder.filePath(entry));
        if (IsOurPrivateFolder(path))
            return QFile::decodeName(path);
    }
    QByteArray pattern = QFile::encodeName(folder.filePath(name + QStringLiteral("-XXXXXX")));
    return ::mkdtemp(pattern.data()) ? QFile::decodeName(pattern) : QString();
}

} // namespace

QString PrivateUserFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString folder = PrivateFolder(runtime, QStringLiteral("pellarine"));
        if (!folder.isEmpty())
            return folder;
    }
    const QString name = QStringLiteral("pellarine-%1").arg(static_cast<qulonglong>(::getuid()));
    QString folder = PrivateFolder(QDir::tempPath(), name);
    if (folder.isEmpty())
        folder = PrivateFolderInsteadOf(QDir::tempPath(), name);
    if (folder.isEmpty())
        Raise(errors::PathNotFound,
              QStringLiteral("No private temporary folder could be made in %1; set TEMP to a "
                             "folder of your own.")
                  .arg(QDir::tempPath()));
    return folder;
}

namespace {

// Why `folder` is not safe to run things from, or nothing. The working folder itself must be
// ours alone. The folder holding it may also belong to the system and be shared, as /tmp is,
// provided its sticky bit keeps others from renaming or replacing what we own in it.
QString PrivacyProblem(const QString& folder, bool holdsWorkingFolder) {
    struct stat st {};
    const QByteArray path = QFile::encodeName(folder);
    const int read =
        holdsWorkingFolder ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    if (read != 0)
        return QStringLiteral("it cannot be read");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid() && !(holdsWorkingFolder && st.st_uid == 0))
        return QStringLiteral("it belongs to another user");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !(holdsWorkingFolder && (st.st_mode & S_ISVTX)))
        return QStringLiteral("other users can write to it");
    return {};
}

} // namespace

void CheckPrivateFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    for (const QString& f : {clean, QFileInfo(clean).path()}) {
        const QString problem = PrivacyProblem(f, f != clean);
        if (!problem.isEmpty())
            Raise(errors::PermissionDenied,
                  QStringLiteral("Nothing is run from the working folder %1: the folder %2 is "
                                 "not private to this user (%3).")
                      .arg(QDir::toNativeSeparators(clean), QDir::toNativeSeparators(f), problem));
    }
}

} // namespace platform
