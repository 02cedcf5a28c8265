#include "platform/environment.h"

#include "platform/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString ExecutableFolder() { return QCoreApplication::applicationDirPath(); }

QString GetDesktopFolder() {
    // Without a home folder there is no desktop to name.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (qEnvironmentVariableIsEmpty("HOME") || desktop.isEmpty())
        Raise(errors::InvalidArgument, {});
    return desktop.endsWith(QLatin1Char('/')) ? desktop : desktop + QLatin1Char('/');
}

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

QString TempFolder() {
    // A relative value would mean another folder once a child starts in the working folder.
    const QString fromEnv = qEnvironmentVariable("TEMP");
    if (!fromEnv.isEmpty())
        return QDir::isAbsolutePath(fromEnv) ? fromEnv : QDir(fromEnv).absolutePath();
    return PrivateUserFolder();
}

qint64 PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<qint64>(pages) * pageSize : 0;
}

bool IsThisMachine(const QString& host) {
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace platform
