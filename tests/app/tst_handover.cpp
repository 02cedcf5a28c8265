// Later starts hand their files to the copy that serves; nothing else gets through.
#include "app/handover.h"
#include "scratchhome.h"

#include <QDataStream>
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
        app::HandOver serving(scratch.runtime());
        QVERIFY(serving.serve());
        app::HandOver later(scratch.runtime());
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
        app::HandOver serving(scratch.runtime());
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

    // A copy that takes the files but never says it has them has not taken them.
    void noReceipt_isNoHandOver() {
        testing::ScratchHome scratch;
        QLocalServer silent;
        QVERIFY(silent.listen(scratch.runtime() + QStringLiteral("/pellarine.socket")));
        QVERIFY(!app::HandOver(scratch.runtime()).send({"/a.eps"}, 500));
    }
};

QTEST_MAIN(TestHandOver)
#include "tst_handover.moc"
