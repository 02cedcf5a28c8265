// The run's per-user lock, held across copies of the program.
#include "convert/runlock.h"
#include "platform/environment.h"
#include "platform/privatefolder.h"
#include "scratchhome.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTest>

class TestRun : public QObject {
    Q_OBJECT

private slots:
    void lock_waitsForAHolder_andTakesOverOneLeftByAKilledProgram() {
        testing::ScratchHome scratch;
        const QString path = platform::PrivateUserFolder() + QStringLiteral("/conversion.lock");
        {
            QLockFile holder(path);
            QVERIFY(holder.tryLock(0));
            int looks = 0;
            QVERIFY(!run::LockConversions([&] { return ++looks < 3; }));
            QCOMPARE(looks, 3);
        }
        // The lock file of a program that was killed: its process is gone.
        testing::WriteFile(path,
                           "999999999\npellarine\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        int looks = 0;
        QVERIFY(run::LockConversions([&] { return ++looks < 3; }));
        QCOMPARE(looks, 0);
    }
};

QTEST_GUILESS_MAIN(TestRun)
#include "tst_run.moc"
