#include "intake/handover.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <utility>

namespace handover {

namespace {

// The serving copy's answer once it has read a whole message.
constexpr char Receipt = 'k';
// Bigger messages are not read: no start names that many files.
constexpr qint64 MessageLimit = 64 * 1024 * 1024;
// At most this many connections are served at once; later ones wait for a turn, in the queue
// of the system's socket or of the server (at most as many again), costing no more descriptors.
constexpr int MostConnections = 16;
// A connection that sends nothing for this long is dropped: a later start sends at once.
constexpr int IdleMs = 10000;

// Whether the length a message starts with is beyond the limit: such a message is refused
// before any of it is kept.
bool DeclaredTooLong(QLocalSocket& socket) {
    const QByteArray head = socket.peek(4);
    if (head.size() < 4)
        return false;
    const quint32 length = (quint32(quint8(head[0])) << 24) | (quint32(quint8(head[1])) << 16) |
                           (quint32(quint8(head[2])) << 8) | quint32(quint8(head[3]));
    return length != 0xFFFFFFFFu && length > MessageLimit;
}

} // namespace

HandOver::HandOver(const QString& folder)
    : socketPath(QDir(folder).filePath(QStringLiteral("pellarine.socket"))),
      lock(QDir(folder).filePath(QStringLiteral("pellarine.lock"))) {
    QObject::connect(&retry, &QTimer::timeout, &server, [this] { serve(); });
    QObject::connect(&server, &QLocalServer::newConnection, &server,
                     [this] { acceptConnections(); });
    server.setMaxPendingConnections(MostConnections);
}

bool HandOver::serve() {
    if (server.isListening())
        return true;
    // The lock decides who serves; QLockFile removes a lock whose owner no longer runs.
    if (lock.isLocked() || lock.tryLock(0)) {
        QLocalServer::removeServer(socketPath); // a socket file left by a killed copy
        server.setSocketOptions(QLocalServer::UserAccessOption);
        if (server.listen(socketPath)) {
            retry.stop();
            return true;
        }
    }
    retry.start(2000);
    return false;
}

bool HandOver::send(const QStringList& paths, int timeoutMs, int resolution) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The serving copy may be starting up; keep knocking until the time is up.
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    QByteArray message;
    QDataStream pack(&message, QIODevice::WriteOnly);
    pack << paths;
    // After the paths, so that a copy that knows only paths reads them as before.
    if (resolution)
        pack << qint32(resolution);
    QDataStream out(&socket);
    out << message;
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    char answer = 0;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    return socket.getChar(&answer) && answer == Receipt;
}

void HandOver::setReceiver(Receiver newReceiver) {
    receiver = std::move(newReceiver);
    const QList<std::pair<QStringList, int>> earlier = std::exchange(waiting, {});
    for (const auto& [paths, resolution] : earlier)
        deliver(paths, resolution);
}

void HandOver::acceptConnections() {
    while (served < MostConnections && server.hasPendingConnections()) {
        QLocalSocket* socket = server.nextPendingConnection();
        ++served;
        QObject::connect(socket, &QObject::destroyed, &server, [this] {
            --served;
            acceptConnections();
        });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        QObject::connect(idle, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        idle->start(IdleMs);
        const auto read = [this, socket, idle] {
            idle->start(IdleMs);
            if (DeclaredTooLong(*socket)) {
                socket->abort();
                return;
            }
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (!in.commitTransaction()) {
                if (socket->bytesAvailable() > MessageLimit)
                    socket->abort();
                return; // the rest is still on its way
            }
            QStringList paths;
            qint32 resolution = 0;
            QDataStream unpack(message);
            unpack >> paths;
            if (!unpack.atEnd())
                unpack >> resolution;
            socket->putChar(Receipt);
            socket->flush();
            socket->disconnectFromServer();
            deliver(paths, resolution);
        };
        QObject::connect(socket, &QLocalSocket::readyRead, socket, read);
        if (socket->bytesAvailable() > 0)
            read(); // what came while it waited for its turn
    }
}

void HandOver::deliver(const QStringList& paths, int resolution) {
    if (!receiver) {
        waiting.append({paths, resolution});
        return;
    }
    // From the event loop, not from inside the socket's handler: the receiver may run long
    // and show dialogs.
    QTimer::singleShot(0, &server,
                       [receiver = receiver, paths, resolution] { receiver(paths, resolution); });
}

} // namespace handover
