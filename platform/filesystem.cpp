#include "platform/filesystem.h"

#include "platform/failure.h"
#include "platform/syserrors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <climits>
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
        sys::RaiseErrno(errno, errors::PathNotFound);
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(closer.dir);
        if (!entry) {
            if (errno != 0)
                sys::RaiseErrno(errno, errors::PathNotFound);
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
        sys::RaiseErrno(errno, errors::FileNotFound);
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    const auto name = Encode(path);
    if (!name || name->isEmpty())
        Raise(errors::PathNotFound, {});
    const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        sys::RaiseErrno(errno, errors::PathNotFound);
    if (!sys::WriteAll(fd, bytes.constData(), size_t(bytes.size()))) {
        const int error = errno;
        ::close(fd);
        sys::RaiseErrno(error, errors::PathNotFound);
    }
    if (::close(fd) != 0 && errno != EINTR)
        sys::RaiseErrno(errno, errors::PathNotFound);
}

std::optional<qint64> FreeBytes(const QString& folder) {
    const auto name = Encode(folder);
    struct statvfs disk {};
    if (!name || ::statvfs(name->constData(), &disk) != 0)
        return std::nullopt;
    const auto blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    return static_cast<qint64>(blocks) * static_cast<qint64>(disk.f_frsize);
}

std::optional<FileIdentity> FileIdentityOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return std::nullopt;
    return sys::FileIdentityFrom(st);
}

std::optional<FileIdentity> FileIdentityOfOpen(int descriptor) {
    struct stat st {};
    if (descriptor < 0 || ::fstat(descriptor, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return sys::FileIdentityFrom(st);
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
