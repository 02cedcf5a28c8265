#pragma once

#include "common/errorreport.h"

#include <QString>
#include <QStringList>
#include <functional>

class QMimeData;

namespace intake {
struct Window;
}

// Files and folders dropped on the job list.
namespace dropintake {

// True when the dragged data carries at least one local file (a text/uri-list with a file URL),
// named validly or not; anything else cannot be dropped on the list.
bool AcceptsDrag(const QMimeData& data);

// The local paths in the dragged data, in the order they were dropped. A file address whose host
// is this machine (file://localhost/..., or this machine's name, as some programs send) is local
// too. The entries that name no local file go to `unusable`, when given, as the user knows them;
// the paths that are not valid UTF-8 go to `leftOut`, when given (undecodable bytes as "?").
QStringList DroppedPaths(const QMimeData& data, QStringList* unusable = nullptr,
                         QStringList* leftOut = nullptr);

// Processes dropped paths in order (and the paths named on the command line). A folder
// contributes every file of its tree matching `folderPattern` (for a drop, whatever the
// extension), exactly as "Add All" finds them. Any other path that exists is appended unchanged
// (no test of extension, attributes or a leading "~"). A path that has vanished or cannot be
// examined is skipped, and the rest goes on; the skipped paths are returned. What the folder
// scans leave out for names that are not valid UTF-8 is appended to `leftOut`, when given.
// `scanReport` tells the failures of the sub-folder collection.
QStringList DropPaths(const QStringList& dropped, const errorreport::Report& scanReport,
                      const std::function<void(const QString&)>& append,
                      const QString& folderPattern = QStringLiteral("*.*"),
                      QStringList* leftOut = nullptr);

// The message that names the dropped entries that could not be used; empty when there are none.
// A long list is cut short.
QString UnusableMessage(const QStringList& entries);

// Adds what a drop brought (the paths DroppedPaths found) to the window's job list, shows the
// first row added, and names in one message what it could not use: the entries that name no
// local file, the paths that vanished, the names that are not valid UTF-8. A drop has no error
// report of its own: what stops it is told in the same message, after the files found so far
// were listed.
void TakeDrop(const intake::Window& window, const QStringList& paths, QStringList unusable,
              QStringList leftOut);

} // namespace dropintake
