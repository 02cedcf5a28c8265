#include "intake/addfolder.h"

#include "common/errorreport.h"
#include "common/paths.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QElapsedTimer>
#include <QSet>

#include <utility>

namespace AddFolder {

namespace {

using Visited = QSet<platform::FolderIdentity>;

// The attribute values of hidden system folders and hidden system junctions, whose
// sub-folders are neither read nor collected.
constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemJunction = 1046;
// The attribute value of a hidden file (hidden + archive), which the scan leaves out.
constexpr int HiddenFile = 34;

// Longest stretch the file listing runs before it lets the window serve its events.
constexpr qint64 ListingSliceMs = 25;

bool IsHiddenSystem(int value) {
    return value == HiddenSystemFolder || value == HiddenSystemJunction;
}

// A root folder is the separator alone (the collection may hold it doubled).
bool IsRootFolder(const QString& folder) {
    if (folder.isEmpty())
        return false;
    for (const QChar c : folder)
        if (c != paths::Separator())
            return false;
    return true;
}

// Whether a path or name is too long for the system to open.
bool TooLong(const QString& text) {
    if (text.size() * 3 < platform::PathMax())
        return false; // every UTF-16 unit takes at most three bytes
    return text.toUtf8().size() >= platform::PathMax();
}

} // namespace

void YieldIfDue() {
    thread_local QElapsedTimer sinceYield;
    if (!sinceYield.isValid()) {
        sinceYield.start();
    } else if (sinceYield.elapsed() >= ListingSliceMs) {
        platform::Yield();
        sinceYield.restart();
    }
}

namespace {

// The files of one folder (with a separator added when missing) matching the pattern.
QList<platform::FolderEntry> ListFiles(const QString& folder, const QString& pattern) {
    QString d = folder;
    if (!d.endsWith(paths::Separator()))
        d += paths::Separator();
    return platform::ListFolder(d, pattern, YieldIfDue);
}

// Collects one level and, when recursive, all below it; returns how many folders it appended.
qsizetype Collect(SubFolderCollection& folders, bool recursive, platform::Dialogs& dialogs,
                  QWidget* owner, Visited& visited) {
    errorreport::Guarded g(dialogs, owner, errorreport::labels::GetSubDirectories2016);
    const QChar separator = paths::Separator();
    // Steps 100 and 104: the next level starts empty.
    SubFolderCollection next;

    // Step 106. Entries may be dropped on the way, so the level is rebuilt from what it held.
    const SubFolderCollection current = std::exchange(folders, {});
    folders.reserve(current.size());
    for (const QString& v : current) {
        if (g.holdsOrFails(108, [&] { return !paths::FolderExists(v); })) {
            folders.append(v);
            continue;
        }
        if (g.holdsOrFails(110, [&] { return TooLong(v); })) {
            folders.append(v);
            continue;
        }
        std::optional<platform::FolderIdentity> identity;
        g.run(112, [&] { identity = platform::IdentityOf(v); });
        g.run(114, [] { platform::Yield(); });
        // A folder reached a second time, through a link or a link to an ancestor, is passed
        // over entirely, its files included: every file is listed once and the scan ends.
        // The first path that reaches it, link or not, is the one that is read in full.
        if (identity) {
            if (visited.contains(*identity))
                continue;
            visited.insert(*identity);
        }
        folders.append(v);
        if (g.holdsOrFails(116, [&] {
                const auto value = platform::FileAttributes(v);
                return value && IsHiddenSystem(*value) && !IsRootFolder(v);
            }))
            continue;

        // Steps 118 to 136: read the sub-folders.
        try {
            const QStringList names = platform::ReadSubFolders(v);
            for (const QString& name : names) {
                platform::Yield(); // step 120
                if (TooLong(name) || HasBadChars(name) || name.contains(QLatin1Char('?')) ||
                    name == QLatin1String(".") || name == QLatin1String(".."))
                    continue;
                next.append(v + name + separator); // steps 132, 134
            }
        } catch (const platform::Failure& failure) {
            // Steps 138 to 148: a folder that cannot be read or has gone is dropped quietly.
            if (failure.number == platform::errors::PermissionDenied ||
                failure.number == platform::errors::PathNotFound)
                folders.removeLast();
        }
    }

    // Step 150: the deeper levels are appended to `next` itself.
    qsizetype deeper = 0;
    if (recursive && !next.isEmpty())
        g.run(150, [&] { deeper = Collect(next, true, dialogs, owner, visited); });

    // Steps 152 to 160: take over the next level. The deeper levels at its end were checked
    // when the level below took them over; checking them again at every level above would
    // make a deep tree cost the square of its depth.
    const qsizetype before = folders.size();
    const qsizetype ownEntries = next.size() - deeper;
    for (qsizetype i = 0; i < next.size(); ++i) {
        const QString& w = next[i];
        if (i >= ownEntries) {
            folders.append(w);
            continue;
        }
        if (!g.holdsOrFails(154, [&] { return paths::FolderExists(w); }))
            continue;
        g.run(156, [] { platform::Yield(); });
        if (g.holdsOrFails(158, [&] {
                const auto value = platform::FileAttributes(w);
                return IsRootFolder(w) || !value || !IsHiddenSystem(*value);
            }))
            g.run(160, [&] { folders.append(w); });
    }
    return folders.size() - before;
}

} // namespace

// A name holding "?" may stand for bytes that are not UTF-8, which no path can name again:
// such a file is kept only when the joined path really names it.
static bool Reachable(const QString& folder, const QString& name) {
    return !name.contains(QLatin1Char('?')) ||
           platform::FileExists(folder + paths::Separator() + name);
}

QStringList GetFilesInFolder(const QString& folder, const QString& pattern) {
    QStringList kept;
    const QString base = folder.endsWith(paths::Separator()) ? folder.chopped(1) : folder;
    for (const platform::FolderEntry& entry : ListFiles(folder, pattern))
        if (entry.regularFile && Reachable(base, entry.name))
            kept.append(entry.name);
    return kept;
}

bool FileExists(const QString& path) { return platform::FileExists(path); }

bool HasBadChars(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i; // a character beyond the 16-bit range, which is fine
            continue;
        }
        const char16_t code = c.unicode();
        if (code < 32 || (code >= 127 && code <= 159) || code == u'?' || c.isSurrogate())
            return true;
    }
    return false;
}

void GetSubDirectories2016(SubFolderCollection& folders, bool recursive, platform::Dialogs& dialogs,
                           QWidget* owner) {
    Visited visited;
    Collect(folders, recursive, dialogs, owner, visited);
}

SubFolderCollection NewCollection(const QString& folder) { return {folder + paths::Separator()}; }

QString PatternForExtension(const QString& answer) { return QStringLiteral("*.") + answer; }

QStringList FilesOfFolder(const QString& entry, const QString& pattern) {
    QStringList found;
    if (entry.isEmpty())
        return found;
    const QString folder = entry.chopped(1); // without its trailing separator
    for (const platform::FolderEntry& file : ListFiles(folder, pattern)) {
        YieldIfDue();
        if (!file.regularFile || file.name.startsWith(QLatin1Char('~')) ||
            !Reachable(folder, file.name))
            continue;
        const QString path = folder + paths::Separator() + file.name;
        // Only a name starting with "." carries the hidden attribute, so only such a file can
        // read 34; the others need no further look-up.
        if (file.name.startsWith(QLatin1Char('.'))) {
            const auto value = platform::FileAttributes(path);
            if (!value || *value == HiddenFile)
                continue;
        }
        found.append(paths::FixPathSeparators(path));
    }
    return found;
}

void AppendFilesOfTree(const QString& folder, const QString& pattern, platform::Dialogs& dialogs,
                       QWidget* owner, const std::function<void(const QString&)>& append) {
    SubFolderCollection folders = NewCollection(folder);
    GetSubDirectories2016(folders, true, dialogs, owner);
    for (const QString& entry : std::as_const(folders)) {
        for (const QString& path : FilesOfFolder(entry, pattern))
            append(path);
        YieldIfDue();
    }
}

} // namespace AddFolder
