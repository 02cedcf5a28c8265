#include "intake/addfolder.h"

#include "common/paths.h"
#include "intake/namelist.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QCollator>
#include <QSet>

#include <algorithm>
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

namespace {

// The collator of a file manager: letter case aside, runs of digits compared as numbers. The C
// locale has no rules of its own (Qt then compares code units, numbers and case included), so
// it collates by the common rules, which are English's.
// Made once for the program, as making it costs more than sorting a small folder.
const QCollator& NameCollator() {
    static const QCollator collator = [] {
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English);
        QCollator made(locale);
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

// Puts `items` in the order a file manager shows their names (a2 before a10, B between a and
// c). Names equal but for letter case keep a fixed order. Each name's key is made once, so a
// folder of tens of thousands of files sorts quickly.
template <typename T, typename NameOf> void SortByName(QList<T>& items, NameOf nameOf) {
    if (items.size() < 2)
        return;
    const QCollator& collator = NameCollator();
    std::vector<std::pair<QCollatorSortKey, T>> keyed;
    keyed.reserve(size_t(items.size()));
    for (T& item : items)
        keyed.emplace_back(collator.sortKey(nameOf(item)), std::move(item));
    std::sort(keyed.begin(), keyed.end(), [&nameOf](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : nameOf(a.second) < nameOf(b.second);
    });
    items.clear();
    for (auto& [key, item] : keyed)
        items.append(std::move(item));
}

void SortByName(QList<platform::FolderEntry>& entries) {
    SortByName(entries, [](const platform::FolderEntry& e) -> const QString& { return e.name; });
}

void SortByName(QStringList& names) {
    SortByName(names, [](const QString& name) -> const QString& { return name; });
}

// The files of one folder (with a separator added when missing) matching the pattern, in name
// order. The names no path can give again go to `leftOut`, when given, as paths.
QList<platform::FolderEntry> ListFiles(const QString& folder, const platform::Wildcard& pattern,
                                       platform::YieldClock& clock,
                                       QStringList* leftOut = nullptr) {
    QString d = folder;
    if (!d.endsWith(paths::Separator()))
        d += paths::Separator();
    QList<platform::FolderEntry> unnamed;
    QList<platform::FolderEntry> entries = platform::ListFolder(
        d, pattern, [&clock] { clock.tick(); }, leftOut ? &unnamed : nullptr);
    SortByName(entries);
    SortByName(unnamed);
    for (const platform::FolderEntry& entry : std::as_const(unnamed))
        // What the scan leaves out anyway is not named.
        if (entry.regularFile && !entry.name.startsWith(QLatin1Char('~')))
            leftOut->append(paths::FixPathSeparators(d + entry.name));
    return entries;
}

// What one scan carries from level to level: the folders reached so far, and the folders left
// out for names no path can give again.
struct Walk {
    Visited visited;
    QStringList leftOut;
};

// What a level's scan does with one of its folders.
enum class Verdict {
    Read, // kept, and its sub-folders are read
    Keep, // kept as it is, its sub-folders not read
    Pass, // passed over: reached before in this scan
};

Verdict Examine(const QString& v, errorreport::Guarded& g, Visited& visited) {
    if (g.holdsOrFails(108, [&] { return !paths::FolderExists(v); }))
        return Verdict::Keep;
    if (g.holdsOrFails(110, [&] { return TooLong(v); }))
        return Verdict::Keep;
    std::optional<platform::FolderIdentity> identity;
    g.run(112, [&] { identity = platform::IdentityOf(v); });
    g.run(114, [] { platform::Yield(); });
    // A folder reached a second time, through a link or a link to an ancestor, is passed over
    // entirely, its files included: every file is listed once and the scan ends. The first path
    // that reaches it, link or not, is the one that is read in full.
    if (identity) {
        if (visited.contains(*identity))
            return Verdict::Pass;
        visited.insert(*identity);
    }
    if (g.holdsOrFails(116, [&] {
            const auto value = platform::FileAttributes(v);
            return value && IsHiddenSystem(*value) && !IsRootFolder(v);
        }))
        return Verdict::Keep;
    return Verdict::Read;
}

// Adds the sub-folders of `v` to `next`. Answers false when `v` cannot be read for want of
// permission or because it has gone: it is then dropped without a word. Any other failure is
// reported, and `v` kept.
bool ReadLevelBelow(const QString& v, SubFolderCollection& next, errorreport::Guarded& g,
                    QStringList& leftOut) {
    QStringList names;
    QStringList unnamed;
    bool unreadable = false;
    g.run(118, [&] {
        try {
            names = platform::ReadSubFolders(v, &unnamed);
        } catch (const platform::Failure& failure) {
            if (failure.number != platform::errors::PermissionDenied &&
                failure.number != platform::errors::PathNotFound)
                throw;
            unreadable = true;
        }
    });
    if (unreadable)
        return false;
    // A level's folders come as a file manager shows them, too.
    SortByName(names);
    SortByName(unnamed);
    for (const QString& name : std::as_const(unnamed))
        leftOut.append(v + name + paths::Separator());
    for (const QString& name : std::as_const(names)) {
        platform::Yield();
        if (TooLong(name) || HasBadChars(name) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            continue;
        next.append(v + name + paths::Separator());
    }
    return true;
}

// Appends the next level to `folders`: its own entries when they still exist and are no hidden
// system folders, then the `deeper` entries at its end as they are. Those were checked when the
// level below took them over; checking them again at every level above would make a deep tree
// cost the square of its depth.
void TakeOver(SubFolderCollection& folders, const SubFolderCollection& next, qsizetype deeper,
              errorreport::Guarded& g) {
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
}

// Collects one level and, when recursive, all below it; returns how many folders it appended.
qsizetype Collect(SubFolderCollection& folders, bool recursive, const errorreport::Report& report,
                  Walk& walk) {
    errorreport::Guarded g(report);
    SubFolderCollection next;
    // Entries may be dropped on the way, so the level is rebuilt from what it held.
    const SubFolderCollection current = std::exchange(folders, {});
    folders.reserve(current.size());
    for (const QString& v : current) {
        const Verdict verdict = Examine(v, g, walk.visited);
        if (verdict == Verdict::Pass)
            continue;
        folders.append(v);
        if (verdict == Verdict::Read && !ReadLevelBelow(v, next, g, walk.leftOut))
            folders.removeLast();
    }
    // The deeper levels are appended to `next` itself.
    qsizetype deeper = 0;
    if (recursive && !next.isEmpty())
        g.run(150, [&] { deeper = Collect(next, true, report, walk); });
    const qsizetype before = folders.size();
    TakeOver(folders, next, deeper, g);
    return folders.size() - before;
}

} // namespace

QStringList GetFilesInFolder(const QString& folder, const QString& pattern) {
    QStringList kept;
    platform::YieldClock clock;
    for (const platform::FolderEntry& entry : ListFiles(folder, platform::Wildcard(pattern), clock))
        if (entry.regularFile)
            kept.append(entry.name);
    return kept;
}

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

void GetSubDirectories2016(SubFolderCollection& folders, bool recursive,
                           const errorreport::Report& report, QStringList* leftOut) {
    Walk walk;
    Collect(folders, recursive, report, walk);
    if (leftOut)
        *leftOut += walk.leftOut;
}

SubFolderCollection NewCollection(const QString& folder) { return {folder + paths::Separator()}; }

QString PatternForExtension(const QString& answer) { return QStringLiteral("*.") + answer; }

namespace {

// The paths that one collected folder contributes, in name order (as GetFilesInFolder): the
// names matching `pattern` that do not start with "~", joined to the folder, that name existing
// files whose attribute value is not exactly 34 (hidden + archive), with doubled separators
// collapsed.
// Files that vanish or cannot be examined meanwhile are left out. So are files whose names are
// not valid UTF-8; `leftOut`, when given, gets their paths appended (undecodable bytes as "?").
// `clock` keeps the window served through a long listing.
QStringList FilesOfFolder(const QString& entry, const platform::Wildcard& pattern,
                          platform::YieldClock& clock, QStringList* leftOut) {
    QStringList found;
    if (entry.isEmpty())
        return found;
    const QString folder = entry.chopped(1); // without its trailing separator
    for (const platform::FolderEntry& file : ListFiles(folder, pattern, clock, leftOut)) {
        clock.tick();
        if (!file.regularFile || file.name.startsWith(QLatin1Char('~')))
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

} // namespace

void AppendFilesOfTree(const QString& folder, const QString& pattern,
                       const errorreport::Report& report,
                       const std::function<void(const QString&)>& append, QStringList* leftOut,
                       errorreport::Guarded* guarded) {
    const auto step = [guarded](int number, const std::function<void()>& statement) {
        if (guarded)
            guarded->run(number, statement);
        else
            statement();
    };
    SubFolderCollection folders;
    step(114, [&] { folders = NewCollection(folder); });
    step(116, [&] { GetSubDirectories2016(folders, true, report, leftOut); });
    // A tree of thousands of folders must not freeze the window.
    platform::YieldClock clock;
    const platform::Wildcard wildcard(pattern);
    for (const QString& entry : std::as_const(folders)) {
        step(122, [&] {
            for (const QString& path : FilesOfFolder(entry, wildcard, clock, leftOut))
                append(path);
        });
        clock.tick();
    }
}

QString LeftOutMessage(const QStringList& leftOut) {
    QStringList shown;
    for (const QString& path : leftOut)
        shown << platform::Native(path);
    return namelist::Message(QStringLiteral("This file or folder was left out, because its name "
                                            "is not valid in the system's encoding:"),
                             QStringLiteral("These files or folders were left out, because their "
                                            "names are not valid in the system's encoding:"),
                             shown);
}

} // namespace AddFolder
