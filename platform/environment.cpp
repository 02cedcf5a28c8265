#include "platform/environment.h"
#include "platform/privatefolder.h"

#include "platform/failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <algorithm>

#include <unistd.h>

namespace platform {

QString ExecutableFolder() { return QCoreApplication::applicationDirPath(); }

QString GetDesktopFolder() {
    // Without a home folder there is no desktop to name.
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (qEnvironmentVariableIsEmpty("HOME") || desktop.isEmpty())
        Raise(errors::InvalidArgument, {});
    // The desktop's name is given even where no such folder was ever made; a folder that is not
    // there would make every conversion fail, so the home folder stands in for it.
    if (!QFileInfo(desktop).isDir())
        desktop = QDir::homePath();
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

// Qt counts the processors of the process's CPU affinity where the system tells it.
int UsableCores() { return std::max(1, QThread::idealThreadCount()); }

bool IsThisMachine(const QString& host) {
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace platform
