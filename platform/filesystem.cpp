#include "platform/filesystem.h"

#include "platform/failure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

// The bytes handed to the system for a path; nothing when the text cannot name a file (an
// embedded NUL would silently cut the path short).
std::optional<QByteArray> Encode(const QString& path) {
    if (path.contains(QChar(0)))
        return std::nullopt;
    return path.toUtf8();
}

// The run-time failure number for a system error. `missing` is what ENOENT means to the
// caller: a missing file (53) or a missing folder on the way (76).
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

[[noreturn]] void RaiseErrno(int error, int missing) { Raise(FailureNumber(error, missing), {}); }

// The last component of a path, trailing separators ignored.
QStringView LastName(const QString& path) {
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == QLatin1Char('/'))
        --end;
    if (end == 0)
        return {};
    const qsizetype start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return QStringView(path).mid(start, end - start);
}

// The attribute bits a status gives, apart from ReparsePoint.
int AttributesOf(const struct stat& st, QStringView name) {
    int value = S_ISDIR(st.st_mode) ? attributes::Directory : attributes::Archive;
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") &&
        name != QLatin1String(".."))
        value |= attributes::Hidden;
    if (!(st.st_mode & S_IWUSR))
        value |= attributes::ReadOnly;
    return value;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Whether a directory entry is a folder, following links; an entry that cannot be examined
// is not.
bool EntryIsFolder(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

struct DirCloser {
    DIR* dir;
    ~DirCloser() {
        if (dir)
            ::closedir(dir);
    }
};

// The expression of a wildcard pattern; "[" stands for itself, as in the folder listings the
// pattern comes from.
QRegularExpression ExpressionOf(const QString& pattern) {
    QString escaped = pattern;
    escaped.replace(QLatin1Char('['), QLatin1String("[[]"));
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(escaped),
                              QRegularExpression::CaseInsensitiveOption);
}

} // namespace

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

std::optional<int> FileAttributes(const QString& path) {
    const auto bytes = Encode(path);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    struct stat st;
    if (::lstat(bytes->constData(), &st) != 0)
        return std::nullopt;
    int value = 0;
    if (S_ISLNK(st.st_mode)) {
        value |= attributes::ReparsePoint;
        if (::stat(bytes->constData(), &st) != 0)
            return std::nullopt;
    }
    return value | AttributesOf(st, LastName(path));
}

bool FileExists(const QString& path) {
    const auto bytes = Encode(path);
    if (!bytes || bytes->isEmpty())
        return false;
    struct stat st;
    return ::stat(bytes->constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QList<FolderEntry> ListFolder(const QString& folder, const Wildcard& pattern,
                              const std::function<void()>& onEach, QList<FolderEntry>* leftOut) {
    QList<FolderEntry> entries;
    const auto bytes = Encode(folder);
    if (!bytes || bytes->isEmpty())
        return entries;
    DirCloser closer{::opendir(bytes->constData())};
    if (!closer.dir)
        return entries;
    while (const dirent* entry = ::readdir(closer.dir)) {
        if (onEach)
            onEach();
        if (IsDotOrDotDot(entry->d_name))
            continue;
        const QByteArray raw(entry->d_name);
        const bool named = NameRoundTrips(raw);
        if (!named && !leftOut)
            continue;
        FolderEntry found{DecodeFileName(raw), false};
        if (!pattern.matches(found.name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        found.regularFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(::dirfd(closer.dir), entry->d_name, &st, 0) == 0) {
                isFolder = S_ISDIR(st.st_mode);
                found.regularFile = S_ISREG(st.st_mode);
            }
        }
        if (isFolder)
            continue;
        (named ? entries : *leftOut).append(std::move(found));
    }
    return entries;
}

QStringList ReadSubFolders(const QString& folder, QStringList* leftOut) {
    const auto bytes = Encode(folder);
    if (!bytes || bytes->isEmpty())
        Raise(errors::PathNotFound, {});
    DirCloser closer{::opendir(bytes->constData())};
    if (!closer.dir)
        RaiseErrno(errno, errors::PathNotFound);
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(closer.dir);
        if (!entry) {
            if (errno != 0)
                RaiseErrno(errno, errors::PathNotFound);
            return names;
        }
        if (IsDotOrDotDot(entry->d_name) || !EntryIsFolder(closer.dir, entry))
            continue;
        const QByteArray raw(entry->d_name);
        if (NameRoundTrips(raw))
            names.append(DecodeFileName(raw));
        else if (leftOut)
            leftOut->append(DecodeFileName(raw));
    }
}

std::optional<FolderIdentity> IdentityOf(const QString& path) {
    const auto bytes = Encode(path);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    struct stat st;
    if (::stat(bytes->constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FolderIdentity{st.st_dev, st.st_ino};
}

Wildcard::Wildcard(const QString& pattern)
    : everything(pattern == QLatin1String("*") || pattern == QLatin1String("*.*")),
      expression(ExpressionOf(pattern)) {
    if (pattern.endsWith(QLatin1String(".*")))
        withoutExtension = ExpressionOf(pattern.chopped(2));
}

bool Wildcard::matches(const QString& name) const {
    if (everything || expression.match(name).hasMatch())
        return true;
    return withoutExtension && !name.contains(QLatin1Char('.')) &&
           withoutExtension->match(name).hasMatch();
}

QString DecodeFileName(const QByteArray& raw) {
    bool ascii = true;
    for (const char c : raw)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(raw);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(raw);
    if (decoder.hasError())
        text.replace(QChar(QChar::ReplacementCharacter), QLatin1Char('?'));
    return text;
}

bool NameRoundTrips(const QByteArray& raw) {
    for (const char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80)
            return QFile::encodeName(QFile::decodeName(raw)) == raw;
    return true; // plain ASCII, the common case, needs no decoding
}

bool RawPathExists(const QByteArray& raw) {
    struct stat st;
    return !raw.isEmpty() && ::stat(raw.constData(), &st) == 0;
}

int PathMax() { return PATH_MAX; }

void RemoveFile(const QString& path) {
    const auto bytes = Encode(path);
    if (!bytes || bytes->isEmpty())
        Raise(errors::FileNotFound, {});
    if (::unlink(bytes->constData()) != 0)
        RaiseErrno(errno, errors::FileNotFound);
}

namespace {

// The system's words for an error, as the user reads them.
QString ReasonOf(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

[[noreturn]] void RaiseWithReason(int error, int missing, const QString& description) {
    Raise(FailureNumber(error, missing), description);
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

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

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

// Creates a new file `prefix` + a random word of seven characters + `suffix`, exclusively and
// without following anything already there; answers its descriptor (-1 with errno set) and its
// name.
int CreateUnique(const QByteArray& prefix, const char* suffix, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            prefix +
            QByteArray::number(QRandomGenerator::global()->generate(), 36).rightJustified(7, '0') +
            suffix;
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    const auto name = Encode(path);
    if (!name || name->isEmpty())
        Raise(errors::PathNotFound, {});
    const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        RaiseErrno(errno, errors::PathNotFound);
    if (!WriteAll(fd, bytes.constData(), size_t(bytes.size()))) {
        const int error = errno;
        ::close(fd);
        RaiseErrno(error, errors::PathNotFound);
    }
    if (::close(fd) != 0 && errno != EINTR)
        RaiseErrno(errno, errors::PathNotFound);
}

std::optional<QString> NonRegularKind(const QString& path) {
    const auto bytes = Encode(path);
    struct stat st {};
    if (!bytes || bytes->isEmpty() || ::stat(bytes->constData(), &st) != 0 || S_ISREG(st.st_mode))
        return std::nullopt;
    return KindOf(st.st_mode);
}

void CopyRegularFile(const QString& from, const QString& to, const std::function<void()>& onChunk) {
    const auto source = Encode(from);
    const auto target = Encode(to);
    if (!source || source->isEmpty() || !target || target->isEmpty())
        Raise(errors::FileNotFound, QStringLiteral("the file cannot be found"));
    struct stat st {};
    if (::stat(source->constData(), &st) != 0)
        RaiseWithReason(errno, errors::FileNotFound,
                        errno == ENOENT ? QStringLiteral("the file cannot be found")
                                        : ReasonOf(errno));
    if (!S_ISREG(st.st_mode))
        Raise(errors::PathFileAccess,
              QStringLiteral("it is %1, not a regular file").arg(KindOf(st.st_mode)));
    // Opened without waiting, and checked again: the path may have changed since it was looked at.
    FdCloser in{::open(source->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (in.fd < 0)
        RaiseWithReason(errno, errors::FileNotFound, ReasonOf(errno));
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        Raise(errors::PathFileAccess,
              QStringLiteral("it is %1, not a regular file").arg(KindOf(st.st_mode)));
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);

    ::unlink(target->constData());
    FdCloser out{
        ::open(target->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (out.fd < 0)
        RaiseWithReason(errno, errors::PathNotFound, ReasonOf(errno));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::unlink(target->constData());
            RaiseWithReason(error, errors::FileNotFound, ReasonOf(error));
        }
        if (got == 0)
            break;
        if (!WriteAll(out.fd, buffer, size_t(got))) {
            const int error = errno;
            ::unlink(target->constData());
            RaiseWithReason(error, errors::PathNotFound, ReasonOf(error));
        }
        if (onChunk)
            onChunk();
    }
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0 && errno != EINTR) {
        const int error = errno;
        ::unlink(target->constData());
        RaiseWithReason(error, errors::PathNotFound, ReasonOf(error));
    }
}

std::optional<qint64> FreeBytes(const QString& folder) {
    const auto name = Encode(folder);
    struct statvfs disk {};
    if (!name || ::statvfs(name->constData(), &disk) != 0)
        return std::nullopt;
    const auto blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    return static_cast<qint64>(blocks) * static_cast<qint64>(disk.f_frsize);
}

bool FolderIsWritable(const QString& folder) {
    const auto name = Encode(folder);
    if (!name || name->isEmpty())
        return false;
    QByteArray probe;
    const int fd = CreateUnique(*name + "/.pellarine-write-test.", "", probe);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

void ReplaceFileWith(const QString& path, const QByteArray& bytes) {
    const auto target = Encode(path);
    if (!target || target->isEmpty())
        Raise(errors::PathNotFound, QStringLiteral("the name cannot be used"));
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        Raise(errors::PathNotFound,
              QStringLiteral("the folder %1 does not exist").arg(info.absolutePath()));

    // A short name of our own beside the target, created exclusively, so nothing there is
    // followed; of fixed length, so a target whose own name is as long as the system allows is
    // written too.
    QByteArray temporary;
    const int fd = CreateUnique(folder + "/.pellarine-", ".part", temporary);
    if (fd < 0)
        RaiseWithReason(errno, errors::PathNotFound, ReasonOf(errno));
    const bool written = WriteAll(fd, bytes.constData(), size_t(bytes.size()));
    int error = errno;
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (written && !closed)
        error = errno;
    if (!written || !closed) {
        ::unlink(temporary.constData());
        RaiseWithReason(error, errors::PathNotFound, ReasonOf(error));
    }
    if (::rename(temporary.constData(), target->constData()) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        // In a shared folder with the sticky bit, another user's file cannot be replaced.
        struct stat there {};
        if ((error == EPERM || error == EACCES) && ::lstat(target->constData(), &there) == 0 &&
            there.st_uid != ::geteuid())
            Raise(errors::PermissionDenied,
                  QStringLiteral("the file there belongs to another user"));
        RaiseWithReason(error, errors::PathNotFound, ReasonOf(error));
    }
}

std::optional<FileIdentity> FileIdentityOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileIdentity{
        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
        static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec,
        static_cast<long long>(st.st_size)};
}

bool ProgramOnPath(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

bool PathExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

bool IsNormalFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

} // namespace platform
