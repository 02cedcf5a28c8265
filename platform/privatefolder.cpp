#include "platform/privatefolder.h"

#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A folder only this user can enter: created with mode 0700 when missing, and accepted only
// when it is a real folder (not a link) owned by this user and closed to everybody else.
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

} // namespace

QString PrivateUserFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString folder = PrivateFolder(runtime, QStringLiteral("pellarine"));
        if (!folder.isEmpty())
            return folder;
    }
    const QString folder = PrivateFolder(
        QDir::tempPath(), QStringLiteral("pellarine-%1").arg(static_cast<qulonglong>(::getuid())));
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
