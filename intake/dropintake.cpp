#include "intake/dropintake.h"

#include "intake/addfolder.h"
#include "platform/filesystem.h"

#include <QMimeData>
#include <QUrl>

namespace dropintake {

bool AcceptsDrag(const QMimeData& data) { return !DroppedPaths(data).isEmpty(); }

QStringList DroppedPaths(const QMimeData& data) {
    QStringList dropped;
    if (!data.hasUrls())
        return dropped;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            dropped.append(url.toLocalFile());
    return dropped;
}

void DropPaths(const QStringList& dropped, platform::Dialogs& dialogs, QWidget* owner,
               const std::function<void(const QString&)>& append) {
    for (const QString& path : dropped) {
        const auto value = platform::FileAttributes(path);
        if (!value)
            continue; // gone, or cannot be examined: nothing to convert
        if (*value & platform::attributes::Directory)
            AddFolder::AppendFilesOfTree(path, QStringLiteral("*.*"), dialogs, owner, append);
        else
            append(path);
    }
}

} // namespace dropintake
