// The run's per-user lock, held across copies of the program.
#include "convert/runlock.h"
#include "platform/folderlock.h"
#include "rasterise/rasterise.h"
#include "scratchhome.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTest>

class TestRunLock : public QObject {
    Q_OBJECT

private slots:
    // Either part held by another run keeps this one out; the other part is then not kept.
    void lock_waitsWhileEitherPartIsHeld_data() {
        QTest::addColumn<bool>("values");
        QTest::newRow("the PDF Writer's values") << true;
        QTest::newRow("the working folder") << false;
    }
    void lock_waitsWhileEitherPartIsHeld() {
        QFETCH(bool, values);
        testing::ScratchHome scratch;
        QDir().mkpath(QFileInfo(run::ValuesLockPath()).absolutePath());
        QLockFile valuesHolder(run::ValuesLockPath());
        platform::FolderLock folderHolder(rasterise::MakeWorkingFolder());
        QVERIFY(values ? valuesHolder.tryLock(0) : folderHolder.tryLock());
        QVERIFY(!run::TryLockConversions());
        if (!values)
            QVERIFY(valuesHolder.tryLock(0)); // given up again at once
    }

    void lock_takesOverOneLeftByAKilledProgram() {
        testing::ScratchHome scratch;
        // The lock file of a program that was killed: its process is gone.
        testing::WriteFile(run::ValuesLockPath(),
                           "999999999\npellarine\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        QVERIFY(run::TryLockConversions());
    }
};

QTEST_GUILESS_MAIN(TestRunLock)
#include "tst_runlock.moc"
