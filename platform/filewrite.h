#pragma once

#include "platform/pathwalk.h"

#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <functional>

// Writing files: copies of opened sources, files put whole into a folder held open, and a
// folder cleared of what the program did not put there.
namespace platform {

// Copies the file open in `from` to `to`, replacing what is there; a link at `to` is replaced,
// never followed. Raises a failure whose description says why in plain words; nothing is left at
// `to` then.
void CopyOpenedFile(const Descriptor& from, const QString& to);

// Writes bytes on: raises a failure when they cannot be written.
using WriteBytes = std::function<void(QByteArrayView bytes)>;

// Puts a new file named `name` into the folder held by `folder`: made under a short temporary
// name of its own (".pellarine-" and seven random characters), filled by `fill` through the
// function it is given, and renamed over whatever is at `name`, so the name never holds half a
// file and a link there is replaced itself, its target untouched. Only the owner and `readers`
// may read it (the umask applies too). Raises a failure whose description is the reason alone
// ("No space left on device", "the file there belongs to another user", ...); nothing is left
// behind then.
void ReplaceFileIn(const Descriptor& folder, const QString& name, Readers readers,
                   const std::function<void(const WriteBytes& write)>& fill);

// True when a new file can be made in `folder` as the program makes files (opened as OpenFolder
// opens it, so not through another user's link), tried with a file that is removed at once: the
// one test that also tells a read-only disk, access lists and other users' folders apart.
bool FolderIsWritable(const QString& folder);

// Who besides the owner may read the open file `descriptor` by its permissions alone.
Readers ReadersOf(int descriptor);

// Takes reading and writing away from the classes of users that are not `readers`, on the
// file at `path` itself (a link there is left alone). Raises a failure when it cannot.
void LimitReaders(const QString& path, Readers readers);

// Removes everything in `folder` but the files `keep` names by their paths (and the folders
// that hold them): files, folders with all they hold, links (never followed) alike. What cannot
// be removed is left.
void RemoveAllBut(const QString& folder, const QSet<QString>& keep);

} // namespace platform
