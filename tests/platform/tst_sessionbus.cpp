// A run's progress and its end, as a dock and a notification service on the session bus see
// them. The test runs under a session bus of its own (dbus-run-session) and listens there.
#include "platform/sessionbus.h"

#include <QDBusConnection>
#include <QTest>

// Stands in for the desktop's notification service: keeps every notification.
class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QVariantList> received;
public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout) {
        received << QVariantList{app, replaces, icon, summary, body, actions, hints, timeout};
        return 1;
    }
};

class TestSessionBus : public QObject {
    Q_OBJECT
    QList<QVariantList> updates; // the launcher-entry signals seen: the entry, the properties

public slots:
    void update(const QString& entry, const QVariantMap& properties) {
        updates << QVariantList{entry, properties};
    }

private slots:
    void progressAndTheEnd_reachTheDockAndTheNotificationService() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.isConnected(), "runs under dbus-run-session");
        Notifications service;
        QVERIFY(bus.registerObject("/org/freedesktop/Notifications", &service,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.Notifications"));
        QVERIFY(bus.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", this,
                            SLOT(update(QString, QVariantMap))));

        platform::SessionBusDesktop desktop("example.marrowind.Pellarine");
        QTRY_VERIFY(desktop.joined());
        desktop.showProgress(0.25);
        desktop.clearProgress();
        desktop.notify("Pellarine", "Done: all 3 files converted.");
        const QString entry = "application://example.marrowind.Pellarine.desktop";
        QTRY_COMPARE(updates.size(), 2);
        QCOMPARE(updates[0], (QVariantList{entry, QVariantMap{{"progress", 0.25},
                                                              {"progress-visible", true}}}));
        QCOMPARE(updates[1][0].toString(), entry);
        QVERIFY(!updates[1][1].toMap().value("progress-visible").toBool());
        QTRY_COMPARE(service.received.size(), 1);
        const QVariantList& note = service.received[0];
        QCOMPARE(note.mid(3, 2), (QVariantList{"Pellarine", "Done: all 3 files converted."}));
        QCOMPARE(note[6].toMap().value("desktop-entry").toString(), "example.marrowind.Pellarine");
    }

    // Where no bus is named, none is joined, not even the one this process knows already.
    void withoutASessionBus_nothingIsSent() {
        const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        updates.clear();
        platform::SessionBusDesktop desktop("example.marrowind.Pellarine");
        desktop.showProgress(0.5);
        desktop.notify("Pellarine", "Done.");
        QTest::qWait(300);
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(!desktop.joined());
        QVERIFY(updates.isEmpty());
    }
};

QTEST_MAIN(TestSessionBus)
#include "tst_sessionbus.moc"
