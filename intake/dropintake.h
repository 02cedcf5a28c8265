#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

namespace platform {
class Dialogs;
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
QStringList DropPaths(const QStringList& dropped, platform::Dialogs& dialogs, QWidget* owner,
                      const std::function<void(const QString&)>& append,
                      const QString& folderPattern = QStringLiteral("*.*"),
                      QStringList* leftOut = nullptr);

// The message that names the dropped entries that could not be used; empty when there are none.
// A long list is cut short.
QString UnusableMessage(const QStringList& entries);

} // namespace dropintake
