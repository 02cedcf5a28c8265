#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace handover {

// One running copy of the program per user takes the files of later starts. The copy holding
// the lock file serves a local socket beside it; a later start hands its paths over that socket
// and waits for the receipt. A lock or socket left by a copy that was killed is taken over,
// never waited for. At most 16 connections are served at once, and one that sends nothing for
// 10 s is dropped, so no number of idle connections can use up the window's descriptors.
class HandOver {
public:
    // `folder` must be private to the user (PrivateUserFolder), so that no one else can listen or
    // send there.
    explicit HandOver(const QString& folder);
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    // Takes the serving role when no running copy holds it and answers whether this copy serves
    // now. A copy that cannot serve keeps trying every two seconds while its event loop runs,
    // so it takes over once the serving copy has ended.
    bool serve();

    // Hands `paths`, and the resolution chosen with them (0 for none), to the serving copy;
    // true once that copy has confirmed receipt within `timeoutMs`. False when no copy serves
    // or it does not answer in time.
    bool send(const QStringList& paths, int timeoutMs = 5000, int resolution = 0);

    // Where received paths and resolutions go, one call per start that handed them over, from
    // the event loop. What arrived before a receiver was set is passed on once one is.
    using Receiver = std::function<void(const QStringList& paths, int resolution)>;
    void setReceiver(Receiver receiver);

private:
    void acceptConnections();
    void deliver(const QStringList& paths, int resolution);

    QString socketPath;
    QLockFile lock;
    QLocalServer server;
    QTimer retry;
    Receiver receiver;
    QList<std::pair<QStringList, int>> waiting;
    int served = 0; // connections being served now
};

} // namespace handover
