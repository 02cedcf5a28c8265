#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace platform {

// File attributes as the numbers the program compares. On POSIX they are derived: a folder is
// Directory, anything else Archive; a name starting with "." adds Hidden; a file without the
// owner's write permission adds ReadOnly; a symbolic link adds ReparsePoint. System is never
// set. So a plain folder reads 16, a plain file 32 and a dot-file 34.
namespace attributes {
constexpr int ReadOnly = 1;
constexpr int Hidden = 2;
constexpr int System = 4;
constexpr int Directory = 16;
constexpr int Archive = 32;
constexpr int ReparsePoint = 1024;
} // namespace attributes

// A path as the system writes it to the user.
QString Native(const QString& path);

// The attribute value of a path (a link counts as what it points to, plus ReparsePoint), or
// nothing when the path cannot be examined (missing, empty, no access, dangling link).
std::optional<int> FileAttributes(const QString& path);

// A wildcard pattern of a folder listing, matched whatever the letter case: "*" any run of
// characters, "?" exactly one, every other character itself. A pattern ending in ".*" also
// matches names without any dot, so "*.*" matches every name.
class Wildcard {
public:
    explicit Wildcard(const QString& pattern);
    bool matches(const QString& name) const;

private:
    bool everything = false;
    QRegularExpression expression;
    std::optional<QRegularExpression> withoutExtension; // for a pattern ending in ".*"
};

// One name of a folder listing, with its type as the folder reports it (links followed).
struct FolderEntry {
    QString name;
    // Whether it was a regular file (links followed) that could be examined when the folder
    // was read.
    bool regularFile = false;
};

// The entries of `folder` whose names match the wildcard `pattern`, in the file system's own
// order, without "." and "..", folders and links to folders. A folder
// that cannot be read lists nothing. Plain entries are not looked up one by one (the folder
// itself tells their type), so a listing costs little more than reading the folder.
// `onEach`, when given, is called after every entry read, so a caller can keep its window
// served during a very large listing.
// A name whose bytes are not valid UTF-8 cannot be named again by any path the program makes
// from it, so such an entry is never listed: when `leftOut` is given, it receives those entries
// instead (matching the pattern, no folders), their names read as DecodeFileName reads them.
QList<FolderEntry> ListFolder(const QString& folder, const Wildcard& pattern,
                              const std::function<void()>& onEach = {},
                              QList<FolderEntry>* leftOut = nullptr);

// The names of the immediate sub-folders of `folder` (links to folders included), in the file
// system's own order. Raises failure 70 (permission denied) or 76 (path not found) when the
// folder cannot be read, another failure for anything else. Sub-folders whose names are not
// valid UTF-8 are not among them; when `leftOut` is given, it receives their names as
// DecodeFileName reads them.
QStringList ReadSubFolders(const QString& folder, QStringList* leftOut = nullptr);

// What tells two paths to the same folder apart from two folders: device and inode.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};
inline size_t qHash(const FolderIdentity& id, size_t seed = 0) noexcept {
    return ::qHash(quint64(id.inode), seed) ^ ::qHash(quint64(id.device), 0);
}

// The identity of the folder a path leads to (links followed); nothing when it cannot be read.
std::optional<FolderIdentity> IdentityOf(const QString& path);

// A raw file name as text: UTF-8; a name that is not valid UTF-8 reads with "?" for the bytes
// that cannot be decoded.
QString DecodeFileName(const QByteArray& raw);

// True when the raw name or path reads as text that gives back the very same bytes (valid
// UTF-8): only such a name can be handed to the system again through text.
bool NameRoundTrips(const QByteArray& raw);

// True when something (a file, a folder, anything) exists at the raw path `raw`, taken against
// the current folder when relative; links are followed.
bool RawPathExists(const QByteArray& raw);

// The longest path, in bytes, that the system accepts (including its terminating NUL).
int PathMax();

// Removes a file. Deletion depends on the folder's permissions only, so a file without write
// permission goes too. Raises 53 (missing), 70 (no permission), 76 (path not found), ...
void RemoveFile(const QString& path);

// Creates or truncates `path` and writes exactly `bytes`. Raises 76 (folder missing),
// 70 (permission denied), 61 (disk full), ... A short write is a failure, never a success.
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// The bytes this user may still write on the disk that holds `folder` (the blocks kept for the
// system count for its administrator only); nothing when the disk cannot be asked.
std::optional<qint64> FreeBytes(const QString& folder);

// Which file a path names at this moment: replacing the file (even by a rename of a new file
// over it) gives a different identity, so a wait can tell a new output from an old one.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long modifiedNs = 0;
    long long size = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file at `path`; nothing when there is none.
std::optional<FileIdentity> FileIdentityOf(const QString& path);

// The identity of the regular file open as `descriptor`; nothing when it is none.
std::optional<FileIdentity> FileIdentityOfOpen(int descriptor);

// True when the program `name` is found on the search path.
bool ProgramOnPath(const QString& name);

// True when the modification time of `path` can be read (an existing file or folder).
bool PathExists(const QString& path);

// True when `path` names a normal file: a regular file that is not hidden (no leading ".").
bool IsNormalFile(const QString& path);

} // namespace platform
