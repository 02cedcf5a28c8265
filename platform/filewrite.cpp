#include "platform/filewrite.h"

#include "platform/failure.h"
#include "platform/syserrors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray Encoded(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(0)))
        Raise(errors::PathNotFound, QStringLiteral("the name cannot be used"));
    return QFile::encodeName(path);
}

// The permissions of a file that only its owner and `readers` may read.
mode_t ModeFor(Readers readers) {
    return S_IRUSR | S_IWUSR | (readers.group ? S_IRGRP | S_IWGRP : 0) |
           (readers.others ? S_IROTH | S_IWOTH : 0);
}

// The names in the folder open in `folder`, without "." and "..".
QList<QByteArray> NamesIn(int folder) {
    QList<QByteArray> names;
    DIR* dir = ::fdopendir(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!dir)
        return names;
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// Folders nested deeper than this are left: a drawing could nest them without end.
constexpr int DeepestFolder = 64;

// Removes the entry `name` of the folder open in `folder`, and everything a folder holds;
// nothing is followed.
void RemoveEntry(int folder, const QByteArray& name, int depth) {
    if (::unlinkat(folder, name.constData(), 0) == 0 || errno != EISDIR || depth > DeepestFolder)
        return;
    const Descriptor inner(
        ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (inner.valid())
        for (const QByteArray& held : NamesIn(inner.get()))
            RemoveEntry(inner.get(), held, depth + 1);
    ::unlinkat(folder, name.constData(), AT_REMOVEDIR);
}

void Clear(int folder, const QString& path, const QSet<QString>& keep, int depth) {
    for (const QByteArray& name : NamesIn(folder)) {
        const QString full = path + QLatin1Char('/') + QFile::decodeName(name);
        if (keep.contains(full))
            continue;
        const bool holdsKept = std::any_of(keep.cbegin(), keep.cend(), [&](const QString& kept) {
            return kept.startsWith(full + QLatin1Char('/'));
        });
        const Descriptor inner(holdsKept && depth < DeepestFolder
                                   ? ::openat(folder, name.constData(),
                                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                   : -1);
        if (inner.valid())
            Clear(inner.get(), full, keep, depth + 1);
        else
            RemoveEntry(folder, name, depth);
    }
}

} // namespace

void CopyOpenedFile(const Descriptor& from, const QString& to) {
    const QByteArray target = Encoded(to);
    ::unlink(target.constData());
    Descriptor out(
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid())
        sys::RaiseWithReason(errno, errors::PathNotFound);
    const auto fail = [&](int error, int missing) {
        ::unlink(target.constData());
        sys::RaiseWithReason(error, missing);
    };
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno, errors::FileNotFound);
        if (got <= 0)
            break;
        if (!sys::WriteAll(out.get(), buffer, size_t(got)))
            fail(errno, errors::PathNotFound);
    }
    if (::close(out.release()) != 0 && errno != EINTR)
        fail(errno, errors::PathNotFound);
}

void ReplaceFileIn(const Descriptor& folder, const QString& name, Readers readers,
                   const std::function<void(const WriteBytes& write)>& fill) {
    const QByteArray target = Encoded(name);
    if (target.contains('/') || target == "." || target == "..")
        Raise(errors::PathNotFound, QStringLiteral("the name cannot be used"));
    // A short name of our own beside the target, created exclusively, so nothing there is
    // followed; of fixed length, so a target whose own name is as long as the system allows is
    // written too.
    QByteArray temporary;
    Descriptor out(
        sys::CreateUnique(folder.get(), ".pellarine-", ".part", ModeFor(readers), temporary));
    if (!out.valid())
        sys::RaiseWithReason(errno, errors::PathNotFound);
    try {
        fill([&](QByteArrayView bytes) {
            if (!sys::WriteAll(out.get(), bytes.data(), size_t(bytes.size())))
                sys::RaiseWithReason(errno, errors::PathNotFound);
        });
        if (::close(out.release()) != 0 && errno != EINTR)
            sys::RaiseWithReason(errno, errors::PathNotFound);
        if (::renameat(folder.get(), temporary.constData(), folder.get(), target.constData()) !=
            0) {
            const int error = errno;
            // In a shared folder with the sticky bit, another user's file cannot be replaced.
            struct stat there {};
            if ((error == EPERM || error == EACCES) &&
                ::fstatat(folder.get(), target.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
                there.st_uid != ::geteuid())
                Raise(errors::PermissionDenied,
                      QStringLiteral("the file there belongs to another user"));
            sys::RaiseWithReason(error, errors::PathNotFound);
        }
    } catch (...) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        throw;
    }
}

bool FolderIsWritable(const QString& folder) {
    try {
        const Descriptor held = OpenFolder(folder);
        QByteArray probe;
        const Descriptor made(
            sys::CreateUnique(held.get(), ".pellarine-write-test.", "", 0600, probe));
        if (!made.valid())
            return false;
        ::unlinkat(held.get(), probe.constData(), 0);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

Readers ReadersOf(int descriptor) {
    struct stat st {};
    if (::fstat(descriptor, &st) != 0)
        return {false, false};
    return {(st.st_mode & S_IRGRP) != 0, (st.st_mode & S_IROTH) != 0};
}

void LimitReaders(const QString& path, Readers readers) {
    const Descriptor file(::open(Encoded(path).constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!file.valid() || ::fstat(file.get(), &st) != 0)
        sys::RaiseWithReason(errno, errors::FileNotFound);
    mode_t mode = st.st_mode & 07777;
    if (!readers.group)
        mode &= ~mode_t(S_IRWXG);
    if (!readers.others)
        mode &= ~mode_t(S_IRWXO);
    if (mode != (st.st_mode & 07777) && ::fchmod(file.get(), mode) != 0)
        sys::RaiseWithReason(errno, errors::PermissionDenied);
}

void RemoveAllBut(const QString& folder, const QSet<QString>& keep) {
    const Descriptor top(::open(Encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (top.valid())
        Clear(top.get(), folder, keep, 0);
}

} // namespace platform
