#include "platform/syserrors.h"

#include "platform/failure.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::sys {

int FailureNumber(int error, int missing) {
    switch (error) {
    case ENOENT: return missing;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return errors::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return errors::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return errors::DiskFull;
    case EIO: return errors::DeviceIO;
    case ENOMEM: return errors::OutOfMemory;
    default: return errors::PathFileAccess;
    }
}

void RaiseErrno(int error, int missing) { Raise(FailureNumber(error, missing), {}); }

void RaiseWithReason(int error, int missing) {
    Raise(FailureNumber(error, missing), QString::fromLocal8Bit(std::strerror(error)));
}

QString KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC; // a write that takes nothing is a full disk
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

int CreateUnique(int folder, const QByteArray& prefix, const char* suffix, mode_t mode,
                 QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            prefix +
            QByteArray::number(QRandomGenerator::global()->generate(), 36).rightJustified(7, '0') +
            suffix;
        const int fd = ::openat(folder, name.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

FileIdentity FileIdentityFrom(const struct stat& st) {
    return FileIdentity{
        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
        static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec,
        static_cast<long long>(st.st_size)};
}

} // namespace platform::sys
