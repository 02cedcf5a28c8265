#include "fakelauncher.h"
#include "platform/failure.h"
#include "platform/launcher.h"
#include "platform/privatefolder.h"
#include "scratchhome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

int WaitForExit(Launcher& launcher, qint64 pid) {
    return testing::WaitForExit(launcher, pid, 10000);
}

void WriteScript(const QString& path, const QByteArray& body) {
    testing::WriteFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    PosixLauncher launcher{QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch")};

private slots:
    void init() { scratch = std::make_unique<testing::ScratchHome>(); }
    void cleanup() { scratch.reset(); }

    void executable_runsInDirectory_withSplitParameters_andGivesItsExitCode() {
        const QString bin = scratch->makeFolder(QStringLiteral("bin dir"));
        const QString work = scratch->makeFolder(QStringLiteral("work dir"));
        WriteScript(bin + QStringLiteral("/tool"),
                    "pwd > out.txt; for a in \"$@\"; do echo \"[$a]\" >> out.txt; done; exit 3");
        const LaunchResult r =
            launcher.start(QLatin1Char('"') + bin + QStringLiteral("/tool\""),
                           QStringLiteral("one \"two three\" \"\"\"quoted\"\"\""), work,
                           QStringLiteral("open"), 0);
        QVERIFY(r.code > 32);
        QCOMPARE(WaitForExit(launcher, r.processId), 3);
        QFile out(work + QStringLiteral("/out.txt"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(),
                 (work + QStringLiteral("\n[one]\n[two three]\n[\"quoted\"]\n")).toUtf8());
        launcher.release(r.processId);
        QCOMPARE(testing::WaitForExit(launcher, r.processId, 1000), launch::UnknownProcess);
    }

    void startFailures_giveShellCodes_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("code");
        QTest::newRow("missing file") << "missing.bat"
                                      << "." << launch::FileNotFound;
        QTest::newRow("missing folder") << "nowhere/x.bat"
                                        << "." << launch::PathNotFound;
        QTest::newRow("missing directory") << "plain.txt"
                                           << "nowhere" << launch::PathNotFound;
        QTest::newRow("no association") << "plain.txt"
                                        << "." << launch::NoAssociation;
        QTest::newRow("folder") << "sub"
                                << "." << launch::NoAssociation;
        QTest::newRow("not a program") << "garbage"
                                       << "." << launch::InvalidExecutable;
    }
    void startFailures_giveShellCodes() {
        QFETCH(QString, file);
        QFETCH(QString, directory);
        QFETCH(int, code);
        const QString base = scratch->makeFolder(QStringLiteral("files"));
        scratch->makeFolder(QStringLiteral("files/sub"));
        testing::WriteFile(base + QStringLiteral("/plain.txt"));
        testing::WriteFile(base + QStringLiteral("/garbage"), QByteArray("\x01\x02\x03\x04", 4));
        QFile::setPermissions(base + QStringLiteral("/garbage"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString folder =
            directory == QLatin1String(".") ? base : base + QLatin1Char('/') + directory;
        const LaunchResult r = launcher.start(base + QLatin1Char('/') + file, QString(), folder,
                                              QStringLiteral("open"), 1);
        QCOMPARE(r.code, code);
        QCOMPARE(r.processId, 0);
    }

    // Where the user's service manager can be reached, a program under a ceiling runs in a scope
    // of its own, bounded by that ceiling; the service manager stands in here.
    void underACeiling_aProgramRunsInAScopeOfTheUsersServiceManager() {
        const QString bin = scratch->makeFolder(QStringLiteral("bin"));
        const QString work = scratch->makeFolder(QStringLiteral("w"));
        WriteScript(bin + QStringLiteral("/systemd-run"),
                    "echo \"$*\" >> " + QFile::encodeName(work) +
                        "/scopes; while [ \"$1\" != -- ]; do shift; done; shift; exec \"$@\"");
        WriteScript(work + QStringLiteral("/tool"), "echo ran > ran");
        testing::WriteFile(scratch->runtime() + QStringLiteral("/systemd/private"));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        const LaunchResult r = launcher.start(work + QStringLiteral("/tool"), QString(), work,
                                              QString(), 0, Ceiling{1 << 30, 1 << 20, 32});
        qputenv("PATH", path);
        QCOMPARE(WaitForExit(launcher, r.processId), 0);
        QFile scopes(work + QStringLiteral("/scopes"));
        QVERIFY(scopes.open(QIODevice::ReadOnly));
        QCOMPARE(scopes.readAll(),
                 "--user --scope --quiet --collect -- true\n"
                 "--user --scope --quiet --collect -p MemoryMax=1073741824 -p MemorySwapMax=0 "
                 "-p TasksMax=32 -- " +
                     QFile::encodeName(work) + "/tool\n");
        QVERIFY(QFile::exists(work + QStringLiteral("/ran")));
    }

    void terminateTree_endsTheProgramAndWhatItStarted() {
        const QString work = scratch->makeFolder(QStringLiteral("w"));
        WriteScript(work + QStringLiteral("/tree"), "sleep 30 & touch started; sleep 30");
        const LaunchResult r =
            launcher.start(work + QStringLiteral("/tree"), QStringLiteral("x"), work, QString(), 0);
        QVERIFY(r.code > 32);
        QTRY_VERIFY(QFile::exists(work + QStringLiteral("/started")));
        QVERIFY(testing::ProcessGroupExists(r.processId));
        launcher.terminateTree(r.processId);
        QVERIFY(testing::WaitForExit(launcher, r.processId, 0) != launch::UnknownProcess);
        QTRY_VERIFY_WITH_TIMEOUT(!testing::ProcessGroupExists(r.processId), 3000);
    }

    void whenEnded_tellsTheEndAsItComes_andOnceEndedAtOnce() {
        const QString work = scratch->makeFolder(QStringLiteral("w"));
        WriteScript(work + QStringLiteral("/brief"), "sleep 0.2");
        const LaunchResult r = launcher.start(work + QStringLiteral("/brief"), QStringLiteral("x"),
                                              work, QString(), 0);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(testing::WaitForExit(launcher, r.processId, 60000), 0);
        QVERIFY(clock.elapsed() < 30000);
        QCOMPARE(testing::WaitForExit(launcher, r.processId, 60000), 0); // ended already
        QVERIFY(clock.elapsed() < 30000);
    }

    void endAll_endsEveryRunningTree() {
        const QString work = scratch->makeFolder(QStringLiteral("w"));
        WriteScript(work + QStringLiteral("/sleeper"), "sleep 30");
        const LaunchResult a = launcher.start(work + QStringLiteral("/sleeper"),
                                              QStringLiteral("1"), work, QString(), 0);
        const LaunchResult b = launcher.start(work + QStringLiteral("/sleeper"),
                                              QStringLiteral("2"), work, QString(), 0);
        launcher.endAll();
        QVERIFY(testing::WaitForExit(launcher, a.processId, 0) != launch::UnknownProcess);
        QVERIFY(testing::WaitForExit(launcher, b.processId, 0) != launch::UnknownProcess);
    }

    void privateFolderCheck_refusesFoldersOthersCanTouch() {
        const QString parent = scratch->makeFolder(QStringLiteral("p"));
        const QString folder = scratch->makeFolder(QStringLiteral("p/ps"));
        QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        CheckPrivateFolder(folder); // ours and closed: accepted

        QFile::setPermissions(folder, QFile::permissions(folder) | QFile::WriteOther);
        QVERIFY_THROWS_EXCEPTION(Failure, CheckPrivateFolder(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QFile::setPermissions(parent, QFile::permissions(parent) | QFile::WriteGroup);
        try {
            CheckPrivateFolder(folder);
            QFAIL("a group-writable parent was accepted");
        } catch (const Failure& failure) {
            QVERIFY(failure.description.contains(folder));
            QVERIFY(failure.description.contains(QStringLiteral("other users can write")));
        }
        QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QString link = parent + QStringLiteral("/link");
        QVERIFY(QFile::link(folder, link));
        QVERIFY_THROWS_EXCEPTION(Failure, CheckPrivateFolder(link));
        // Another user's folder, closed as it may be, is not ours (root can make one).
        if (::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0) {
            QVERIFY_THROWS_EXCEPTION(Failure, CheckPrivateFolder(folder));
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), ::getuid(), ::getgid()), 0);
        }

        // A shared parent like /tmp is fine when its sticky bit protects what we own in it.
        QVERIFY(::chmod(QFile::encodeName(parent).constData(), 01777) == 0);
        CheckPrivateFolder(folder);
        QVERIFY(::chmod(QFile::encodeName(parent).constData(), 0777) == 0);
        QVERIFY_THROWS_EXCEPTION(Failure, CheckPrivateFolder(folder));
        ::chmod(QFile::encodeName(parent).constData(), 0700);
    }

    // Another user who takes the usual name first: a folder of ours with a random ending
    // instead, found again by every later look.
    void privateUserFolder_takenByAnother_isReplacedByOneOfOurOwn() {
        const QString systemTemp = scratch->makeFolder(QStringLiteral("system temp"));
        const QByteArray tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(systemTemp));
        qunsetenv("XDG_RUNTIME_DIR");
        const QString usual = systemTemp + QStringLiteral("/pellarine-%1").arg(::getuid());
        QVERIFY(QFile::link(scratch->home(), usual)); // not a folder of ours, whoever made it
        // Another user's folder of a name like ours is never taken for ours (root can make one).
        const QString decoy = usual + QStringLiteral("-aaaaaa");
        QDir().mkdir(decoy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const bool decoyMade = ::chown(QFile::encodeName(decoy).constData(), 65534, 65534) == 0;
        const QString folder = PrivateUserFolder();
        qputenv("TMPDIR", tmpdir);
        QVERIFY2(folder.startsWith(usual + QLatin1Char('-')) && folder.size() == usual.size() + 7,
                 qPrintable(folder));
        QVERIFY(!decoyMade || folder != decoy);
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700);
        qputenv("TMPDIR", QFile::encodeName(systemTemp));
        QCOMPARE(PrivateUserFolder(), folder);
        // Nor is another user's folder of the usual name.
        QVERIFY(QFile::remove(usual) && QDir().mkdir(usual));
        if (::chown(QFile::encodeName(usual).constData(), 65534, 65534) == 0)
            QCOMPARE(PrivateUserFolder(), folder);
        qputenv("TMPDIR", tmpdir);
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
