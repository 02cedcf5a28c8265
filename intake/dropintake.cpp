#include "intake/dropintake.h"

#include "intake/addfolder.h"
#include "platform/environment.h"
#include "platform/filesystem.h"

#include <QMimeData>
#include <QUrl>

namespace dropintake {

namespace {

// How many unusable entries a message names before it only counts the rest.
constexpr qsizetype NamedEntries = 10;

// The local path an address names, or the empty text when it names none here.
QString LocalPath(QUrl url) {
    if (!url.isLocalFile())
        return {};
    if (!url.host().isEmpty()) {
        if (!platform::IsThisMachine(url.host()))
            return {}; // a file of another machine
        url.setAuthority(QString());
    }
    return url.toLocalFile();
}

// The bytes of the path a local file address names. A name that is not valid UTF-8 comes
// percent-encoded byte by byte, and the address read as text names another file instead.
QByteArray PathBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

} // namespace

bool AcceptsDrag(const QMimeData& data) {
    QStringList leftOut;
    return !DroppedPaths(data, nullptr, &leftOut).isEmpty() || !leftOut.isEmpty();
}

QStringList DroppedPaths(const QMimeData& data, QStringList* unusable, QStringList* leftOut) {
    QStringList dropped;
    if (!data.hasUrls())
        return dropped;
    for (const QUrl& url : data.urls()) {
        const QString path = LocalPath(url);
        if (path.isEmpty()) {
            if (unusable)
                unusable->append(url.toDisplayString());
        } else if (const QByteArray bytes = PathBytes(url); !platform::NameRoundTrips(bytes)) {
            if (leftOut)
                leftOut->append(platform::DecodeFileName(bytes));
        } else {
            dropped.append(path);
        }
    }
    return dropped;
}

QStringList DropPaths(const QStringList& dropped, platform::Dialogs& dialogs, QWidget* owner,
                      const std::function<void(const QString&)>& append,
                      const QString& folderPattern, QStringList* leftOut) {
    QStringList skipped;
    for (const QString& path : dropped) {
        const auto value = platform::FileAttributes(path);
        if (!value)
            skipped.append(path); // gone, or cannot be examined: nothing to convert
        else if (*value & platform::attributes::Directory)
            AddFolder::AppendFilesOfTree(path, folderPattern, dialogs, owner, append, leftOut);
        else
            append(path);
    }
    return skipped;
}

QString UnusableMessage(const QStringList& entries) {
    if (entries.isEmpty())
        return {};
    QString text = entries.size() == 1 ? QStringLiteral("This dropped item could not be added:")
                                       : QStringLiteral("These dropped items could not be added:");
    for (const QString& entry : entries.mid(0, NamedEntries))
        text += QStringLiteral("\r\n") + entry;
    if (entries.size() > NamedEntries)
        text += QStringLiteral("\r\n... and %1 more.").arg(entries.size() - NamedEntries);
    return text;
}

} // namespace dropintake
