// Later starts hand their files to the copy that serves; nothing else gets through.
#include "intake/handover.h"
#include "scratchhome.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

class TestHandOver : public QObject {
    Q_OBJECT

private slots:
    void files_reachTheServingCopy_oneCallPerStart() {
        testing::ScratchHome scratch;
        handover::HandOver serving(scratch.runtime());
        QVERIFY(serving.serve());
        handover::HandOver later(scratch.runtime());
        QVERIFY(!later.serve()); // one copy serves at a time
        QList<QStringList> received;
        int resolution = 0;
        serving.setReceiver([&](const QStringList& paths, int chosen) {
            received << paths;
            resolution = chosen;
        });
        // The sender waits for the receipt, so it runs beside the serving copy's event loop.
        bool sent = false;
        std::unique_ptr<QThread> sender(QThread::create([&] {
            sent = later.send({"/a b.eps", "/c.eps"}, 10000, 300);
        }));
        sender->start();
        QTRY_COMPARE(received, (QList<QStringList>{{"/a b.eps", "/c.eps"}}));
        QCOMPARE(resolution, 300);
        QTRY_VERIFY(sender->isFinished());
        QVERIFY(sent);
    }

    // A message far larger than any list of files is refused: the connection is dropped.
    void anOversizedMessage_isDropped() {
        testing::ScratchHome scratch;
        handover::HandOver serving(scratch.runtime());
        QVERIFY(serving.serve());
        QLocalSocket socket;
        socket.connectToServer(scratch.runtime() + QStringLiteral("/pellarine.socket"));
        QVERIFY(socket.waitForConnected(5000));
        QSignalSpy dropped(&socket, &QLocalSocket::disconnected);
        QDataStream out(&socket);
        out << quint32(0x7FFFFFF0); // the length of a message that never ends
        const QByteArray chunk(1 << 20, 'x');
        int megabytes = 0;
        for (; megabytes < 80 && dropped.isEmpty(); ++megabytes) {
            socket.write(chunk);
            while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState)
                QCoreApplication::processEvents();
        }
        QTRY_VERIFY(!dropped.isEmpty());
        QVERIFY(megabytes < 32); // refused for its declared length, not for what came of it
    }

    // Sixteen connections are served at once and one idle for 10 s is dropped: connections
    // that send nothing neither hold the window's descriptors nor keep a later start out.
    void idleConnections_areServedSixteenAtOnce_andDropped() {
        testing::ScratchHome scratch;
        handover::HandOver serving(scratch.runtime());
        QVERIFY(serving.serve());
        QList<QStringList> received;
        serving.setReceiver([&](const QStringList& paths, int) { received << paths; });
        std::vector<std::unique_ptr<QLocalSocket>> idle(17);
        for (auto& socket : idle) {
            socket = std::make_unique<QLocalSocket>();
            socket->connectToServer(scratch.runtime() + QStringLiteral("/pellarine.socket"));
            QVERIFY(socket->waitForConnected(5000));
        }
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<QThread> sender(QThread::create([&] {
            handover::HandOver(scratch.runtime()).send({QStringLiteral("/a.eps")}, 30000);
        }));
        sender->start();
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 30000);
        QVERIFY(clock.elapsed() > 9000); // served once the first sixteen were dropped
        QTRY_VERIFY(sender->isFinished());
        for (int i = 0; i < 16; ++i)
            QTRY_COMPARE(idle[i]->state(), QLocalSocket::UnconnectedState);
    }

    // A copy that takes the files but never says it has them has not taken them.
    void noReceipt_isNoHandOver() {
        testing::ScratchHome scratch;
        QLocalServer silent;
        QVERIFY(silent.listen(scratch.runtime() + QStringLiteral("/pellarine.socket")));
        QVERIFY(!handover::HandOver(scratch.runtime()).send({"/a.eps"}, 500));
    }
};

QTEST_MAIN(TestHandOver)
#include "tst_handover.moc"
