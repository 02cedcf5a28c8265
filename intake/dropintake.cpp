#include "intake/dropintake.h"

#include "intake/addfolder.h"
#include "intake/namelist.h"
#include "intake/window.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QMimeData>
#include <QUrl>

namespace dropintake {

namespace {

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

QStringList DropPaths(const QStringList& dropped, const errorreport::Report& scanReport,
                      const std::function<void(const QString&)>& append,
                      const QString& folderPattern, QStringList* leftOut) {
    QStringList skipped;
    for (const QString& path : dropped) {
        const auto value = platform::FileAttributes(path);
        if (!value)
            skipped.append(path); // gone, or cannot be examined: nothing to convert
        else if (*value & platform::attributes::Directory)
            AddFolder::AppendFilesOfTree(path, folderPattern, scanReport, append, leftOut);
        else
            append(path);
    }
    return skipped;
}

QString UnusableMessage(const QStringList& entries) {
    return namelist::Message(QStringLiteral("This dropped item could not be added:"),
                             QStringLiteral("These dropped items could not be added:"), entries);
}

void TakeDrop(const intake::Window& window, const QStringList& paths, QStringList unusable,
              QStringList leftOut) {
    const std::optional<platform::Failure> failure = platform::Caught([&] {
        unusable +=
            DropPaths(paths, window.scanReport, window.append, QStringLiteral("*.*"), &leftOut);
    });
    window.showAdded();
    QString message = UnusableMessage(unusable);
    if (!leftOut.isEmpty())
        message += (message.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) +
                   AddFolder::LeftOutMessage(leftOut);
    if (failure)
        message += (message.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) +
                   QStringLiteral("Not everything dropped could be added: ") + failure->description;
    if (!message.isEmpty())
        window.dialogs.messageBox(window.owner, message, window.title, platform::Buttons::Ok,
                                  platform::Icon::None);
}

} // namespace dropintake
