#include "platform/pathwalk.h"

#include "platform/failure.h"
#include "platform/syserrors.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <deque>
#include <map>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (fd >= 0)
            ::close(fd);
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

Descriptor::~Descriptor() {
    if (fd >= 0)
        ::close(fd);
}

namespace {

// The system follows at most this many links on one path.
constexpr int MostLinks = 40;

// Where a walk stands: the folder the last name was looked up in and that name, the path walked
// so far (for messages), the links followed and who could have come this way.
struct Walk {
    Descriptor folder;
    QByteArray lastName;
    QByteArray shown;
    int links = 0;
    Readers readers;
};

Descriptor OpenAt(int folder, const char* name, int flags) {
    return Descriptor(::openat(folder, name, flags | O_CLOEXEC));
}

Descriptor Root() { return OpenAt(AT_FDCWD, "/", O_PATH | O_DIRECTORY); }

Descriptor Duplicate(const Descriptor& descriptor) {
    return Descriptor(::fcntl(descriptor.get(), F_DUPFD_CLOEXEC, 0));
}

struct stat StatusOf(const Descriptor& descriptor) {
    struct stat st {};
    if (::fstat(descriptor.get(), &st) != 0)
        sys::RaiseWithReason(errno, errors::PathNotFound);
    return st;
}

QString Shown(const QByteArray& path) {
    return QDir::toNativeSeparators(QFile::decodeName(path.isEmpty() ? QByteArray("/") : path));
}

// A user's name, or their number when they have none.
QString UserName(uid_t uid) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[2048];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

// Whoever owns a link chooses what it leads to, at any moment: only links of this user and of
// the administrator are followed.
void CheckLinkOwner(const struct stat& link, const QByteArray& shown) {
    if (link.st_uid == ::geteuid() || link.st_uid == 0)
        return;
    Raise(errors::PermissionDenied,
          QStringLiteral("it is reached through the link %1, which belongs to another user (%2); "
                         "links of other users are never followed")
              .arg(Shown(shown), UserName(link.st_uid)));
}

QByteArray LinkTarget(const Descriptor& link) {
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlinkat(link.get(), "", target.data(), size_t(target.size()));
        if (length < 0)
            sys::RaiseWithReason(errno, errors::PathNotFound);
        if (length < target.size()) {
            target.truncate(length);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Puts the names of `path` in front of those still to walk; true when it starts at the root.
bool Queue(std::deque<QByteArray>& names, const QByteArray& path) {
    const QList<QByteArray> parts = path.split('/');
    for (auto it = parts.crbegin(); it != parts.crend(); ++it)
        if (!it->isEmpty() && *it != ".")
            names.push_front(*it);
    return path.startsWith('/');
}

// Follows `path` from the folder `here` to what it names, links included, and answers that,
// opened as a place (not for reading), with its status in `st`. `missing` is the description
// for a last name that is not there.
Descriptor Follow(Walk& walk, Descriptor here, const QByteArray& path, const QString& missing,
                  struct stat& st) {
    std::deque<QByteArray> names;
    if (Queue(names, path)) {
        here = Root();
        walk.shown.clear();
    }
    while (!names.empty()) {
        const QByteArray name = names.front();
        names.pop_front();
        const struct stat folder = StatusOf(here);
        if (!S_ISDIR(folder.st_mode))
            Raise(errors::PathNotFound,
                  QStringLiteral("%1 is not a folder").arg(Shown(walk.shown)));
        walk.readers.group = walk.readers.group && (folder.st_mode & (S_IXGRP | S_IXOTH));
        walk.readers.others = walk.readers.others && (folder.st_mode & S_IXOTH);
        walk.folder = std::move(here);
        walk.lastName = name;
        const QByteArray before = walk.shown;
        walk.shown += '/' + name;
        here = OpenAt(walk.folder.get(), name.constData(), O_PATH | O_NOFOLLOW);
        if (!here.valid()) {
            const int error = errno;
            if (error != ENOENT)
                sys::RaiseWithReason(error, errors::PathNotFound);
            if (names.empty())
                Raise(errors::FileNotFound, missing);
            Raise(errors::PathNotFound,
                  QStringLiteral("the folder %1 cannot be found").arg(Shown(walk.shown)));
        }
        const struct stat found = StatusOf(here);
        if (!S_ISLNK(found.st_mode))
            continue;
        CheckLinkOwner(found, walk.shown);
        if (++walk.links > MostLinks)
            sys::RaiseWithReason(ELOOP, errors::PathNotFound);
        walk.shown = before;
        if (Queue(names, LinkTarget(here))) {
            here = Root();
            walk.shown.clear();
        } else {
            here = Duplicate(walk.folder);
        }
    }
    st = StatusOf(here);
    return here;
}

QByteArray Absolute(const QString& path) {
    return QFile::encodeName(QDir::current().absoluteFilePath(path));
}

std::map<QString, Descriptor>& Loans() {
    static std::map<QString, Descriptor> lent;
    return lent;
}

QString LoanKey(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

} // namespace

OpenedFile OpenSourceFile(const QString& path) {
    const QString notFound = QStringLiteral("the file cannot be found");
    if (path.isEmpty() || path.contains(QChar(0)))
        Raise(errors::FileNotFound, notFound);
    const QByteArray absolute = Absolute(path);
    const qsizetype slash = absolute.lastIndexOf('/');
    Walk walk;
    struct stat st {};
    Descriptor folder = Follow(walk, Root(), absolute.left(slash), notFound, st);
    if (!S_ISDIR(st.st_mode))
        Raise(errors::PathNotFound, QStringLiteral("%1 is not a folder").arg(Shown(walk.shown)));
    OpenedFile opened;
    opened.folder = {st.st_dev, st.st_ino};
    Follow(walk, std::move(folder), absolute.mid(slash + 1), notFound, st);
    if (!S_ISREG(st.st_mode))
        Raise(errors::PathFileAccess,
              QStringLiteral("it is %1, not a regular file").arg(sys::KindOf(st.st_mode)));
    // Opened by its name in the folder just walked, without following anything, and taken only
    // when it is the very file that was looked at.
    opened.file = OpenAt(walk.folder.get(), walk.lastName.constData(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (!opened.file.valid())
        sys::RaiseWithReason(errno, errors::FileNotFound);
    const struct stat read = StatusOf(opened.file);
    if (read.st_dev != st.st_dev || read.st_ino != st.st_ino)
        Raise(errors::PathFileAccess, QStringLiteral("it was replaced while it was being opened"));
    ::fcntl(opened.file.get(), F_SETFL, ::fcntl(opened.file.get(), F_GETFL) & ~O_NONBLOCK);
    opened.readers = {walk.readers.group && (st.st_mode & S_IRGRP),
                      walk.readers.others && (st.st_mode & S_IROTH)};
    return opened;
}

Descriptor OpenFolder(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(0)))
        Raise(errors::PathNotFound, QStringLiteral("no folder is named"));
    if (const auto lent = Loans().find(LoanKey(path)); lent != Loans().end())
        return Duplicate(lent->second);
    Walk walk;
    struct stat st {};
    Descriptor folder = Follow(
        walk, Root(), Absolute(path),
        QStringLiteral("the folder %1 cannot be found").arg(QDir::toNativeSeparators(path)), st);
    if (!S_ISDIR(st.st_mode))
        Raise(errors::PathNotFound,
              QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(path)));
    return folder;
}

FolderIdentity IdentityOf(const Descriptor& descriptor) {
    const struct stat st = StatusOf(descriptor);
    return {st.st_dev, st.st_ino};
}

std::optional<FileIdentity> FileIdentityIn(const Descriptor& folder, const QString& name) {
    struct stat st {};
    if (name.isEmpty() ||
        ::fstatat(folder.get(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) !=
            0 ||
        !S_ISREG(st.st_mode))
        return std::nullopt;
    return sys::FileIdentityFrom(st);
}

FolderLoan::FolderLoan(const QString& path, const Descriptor& folder) : key(LoanKey(path)) {
    Loans()[key] = Duplicate(folder);
}

FolderLoan::~FolderLoan() { Loans().erase(key); }

} // namespace platform
