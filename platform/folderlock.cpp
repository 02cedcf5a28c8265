#include "platform/folderlock.h"

#include "platform/failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

FolderLock::FolderLock(const QString& folder)
    : descriptor(
          ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (descriptor < 0)
        Raise(errors::PathFileAccess, QStringLiteral("The folder %1 cannot be locked: %2")
                                          .arg(QDir::toNativeSeparators(folder),
                                               QString::fromLocal8Bit(std::strerror(errno))));
}

FolderLock::~FolderLock() { ::close(descriptor); }

bool FolderLock::tryLock() {
    if (!held)
        held = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    return held;
}

} // namespace platform
