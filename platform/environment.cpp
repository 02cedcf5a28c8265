#include "platform/environment.h"
#include "platform/privatefolder.h"

#include "platform/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>

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
