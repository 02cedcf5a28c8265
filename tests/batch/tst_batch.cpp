// The command interpreter that runs batch files, driven through the real launcher.
#include "fakelauncher.h"
#include "platform/launcher.h"
#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>

using namespace platform;

class TestBatchInterpreter : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    PosixLauncher launcher{QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch")};
    QString work;

    void script(const QString& folder, const QString& name, const QByteArray& body) {
        const QString path = folder + QLatin1Char('/') + name;
        testing::WriteFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    }

    // Runs the batch text in the work folder; answers the interpreter's exit code.
    int runBatch(const QByteArray& text, const QString& name = QStringLiteral("job.bat")) {
        testing::WriteFile(work + QLatin1Char('/') + name, text);
        const LaunchResult r =
            launcher.start(QLatin1Char('"') + work + QLatin1Char('/') + name + QLatin1Char('"'),
                           QString(), work + QLatin1Char('/'), QStringLiteral("open"), 0);
        if (r.code <= 32)
            return -1000 - r.code;
        const int status = testing::WaitForExit(launcher, r.processId, 10000);
        launcher.release(r.processId);
        return status;
    }

    QByteArray log(const QString& name = QStringLiteral("log.txt")) {
        QFile file(work + QLatin1Char('/') + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        work = scratch->makeFolder(QStringLiteral("work folder"));
        // Every argument on a line of its own, in brackets, so blanks and CRs would show.
        script(work, QStringLiteral("record"),
               "for a in \"$@\"; do printf '[%s]' \"$a\" >> log.txt; done; echo >> log.txt");
    }
    void cleanup() { scratch.reset(); }

    void linesRunInOrder_whateverEachReturns_andCrIsIgnored() {
        const int code = runBatch("record first\r\nfalse\r\nno-such-command x\r\n\r\n"
                                  "record second\r\nrecord third");
        QCOMPARE(log(), QByteArray("[first]\n[second]\n[third]\n"));
        QCOMPARE(code, 0);
        // Each command's temporary folder is gone with it.
        QCOMPARE(QDir(work).entryList({".gs-temp-*"}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }

    // Every command gets a fresh, empty temporary folder of its own, named by TMPDIR, TEMP, TMP.
    void eachCommand_hasATemporaryFolderOfItsOwn() {
        script(work, QStringLiteral("where"),
               "echo \"$TMPDIR|$TEMP|$TMP\" >> log.txt; ls -A \"$TMPDIR\" >> log.txt; "
               "touch \"$TMPDIR/mine\"");
        const QByteArray tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", "/tmp"); // what the program itself has
        runBatch("where\r\nwhere\r\n");
        qputenv("TMPDIR", tmpdir);
        const QList<QByteArray> lines = log().split('\n');
        QCOMPARE(lines.size(), 3); // two lines of folders, nothing listed in them
        const QByteArray first = lines[0].split('|').first();
        QVERIFY2(first.startsWith(QFile::encodeName(work) + "/.gs-temp-"), first.constData());
        QCOMPARE(lines[0], first + '|' + first + '|' + first);
        QVERIFY(lines[1] != lines[0]);
    }

    // A command gets PATH, the locale, Ghostscript's own variables and its temporary folder:
    // nothing else of the user's session.
    void aCommand_getsOnlyTheEnvironmentItNeeds_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("passed");
        QTest::newRow("a token") << QByteArray("API_TOKEN") << QByteArray("s3cr3t") << false;
        QTest::newRow("the session bus") << QByteArray("DBUS_SESSION_BUS_ADDRESS")
                                         << QByteArray("unix:path=/run/user/1/bus") << false;
        QTest::newRow("the display") << QByteArray("DISPLAY") << QByteArray(":7") << false;
        QTest::newRow("the home folder") << QByteArray("HOME") << QByteArray("/home/x") << false;
        QTest::newRow("the search path") << QByteArray("PATH") << qgetenv("PATH") << true;
        QTest::newRow("the locale") << QByteArray("LANG") << QByteArray("de_DE.UTF-8") << true;
        QTest::newRow("a part of it") << QByteArray("LC_PAPER") << QByteArray("C") << true;
        QTest::newRow("Ghostscript's own") << QByteArray("GS_LIB") << QByteArray("/x") << true;
    }
    void aCommand_getsOnlyTheEnvironmentItNeeds() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, value);
        QFETCH(bool, passed);
        const QByteArray old = qgetenv(name.constData());
        const auto restore = qScopeGuard([&] { qputenv(name.constData(), old); });
        qputenv(name.constData(), value);
        script(work, QStringLiteral("environment"), "env > log.txt");
        runBatch("environment\r\n");
        const QList<QByteArray> variables = log().split('\n');
        QCOMPARE(variables.contains(name + '=' + value), passed);
        QVERIFY(std::all_of(variables.cbegin(), variables.cend(), [](const QByteArray& v) {
            return v.isEmpty() || v.startsWith("PATH=") || v.startsWith("LANG=") ||
                   v.startsWith("LC_") || v.startsWith("GS_") || v.startsWith("TMPDIR=") ||
                   v.startsWith("TEMP=") || v.startsWith("TMP=") || v.startsWith("PWD=") ||
                   v.startsWith("LANGUAGE=");
        }));
    }

    // The file is read whole before anything runs: no command adds lines to its own run.
    void linesAddedByACommand_doNotRun() {
        script(work, QStringLiteral("grow"), "printf 'record added\\r\\n' >> job.bat");
        runBatch("grow\r\nrecord first\r\n");
        QCOMPARE(log(), QByteArray("[first]\n"));
    }

    void cmdFiles_runInTheInterpreterToo() {
        QCOMPARE(runBatch("record cmd\r\n", QStringLiteral("job.cmd")), 0);
        QCOMPARE(log(), QByteArray("[cmd]\n"));
    }

    void quotedWords_keepBlanks_andQuotesAreDropped() {
        runBatch("record \"a b\" c\"d e\"f \"\" \"current.eps\"\r\n");
        QCOMPARE(log(), QByteArray("[a b][cd ef][][current.eps]\n"));
    }

    void del_isBuiltIn_deletesNamedFiles_andMissingOnesAreHarmless() {
        testing::WriteFile(work + QStringLiteral("/current.eps"));
        testing::WriteFile(work + QStringLiteral("/two words.txt"));
        scratch->makeFolder(QStringLiteral("work folder/keep"));
        runBatch("del current.eps\r\nDEL \"two words.txt\" missing.txt keep\r\nrecord done");
        QVERIFY(!QFile::exists(work + QStringLiteral("/current.eps")));
        QVERIFY(!QFile::exists(work + QStringLiteral("/two words.txt")));
        QVERIFY(QFile::exists(work + QStringLiteral("/keep")));
        QCOMPARE(log(), QByteArray("[done]\n"));
    }

    void commands_areFoundInWorkingFolderFirst_thenOnPath() {
        script(work, QStringLiteral("echo"), "echo local-echo >> log.txt");
        runBatch("echo x\r\nprintf path-printf\r\n");
        QCOMPARE(log(), QByteArray("local-echo\n"));
        QFile printed(work + QStringLiteral("/job.log"));
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.readAll().contains("\n| path-printf\n"));
    }

    // The interpreter's own log: the confinement once, then every command with what it printed
    // (its first and last lines, long lines cut) and its status.
    void log_keepsTheHeadAndTailOfLongOutput_andEachStatus() {
        script(work, QStringLiteral("wide"), "printf '%3000s\\n' x; exit 3");
        QCOMPARE(runBatch("seq 1 20000\r\nwide\r\n"), 3);
        const QByteArray text = log(QStringLiteral("job.log"));
        QVERIFY(text.startsWith("# confinement: "));
        const QFile::Permissions userFlags(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(QFile::permissions(work + "/job.log") & ~userFlags, QFile::ReadOwner);
        QVERIFY(text.contains("\n> seq 1 20000\n| 1\n| 2\n"));
        QVERIFY(text.contains("| 20000\n= 0\n> wide\n"));
        // About 16 KiB of lines from each end, and the count of those in between.
        const QList<QByteArray> lines = text.split('\n');
        const qsizetype mark = lines.indexOf("| 1");
        qsizetype kept = 0, leftOut = 0;
        for (qsizetype i = mark; i < lines.size() && lines[i] != "= 0"; ++i) {
            if (lines[i].startsWith("| [") && lines[i].endsWith(" lines left out]"))
                leftOut = lines[i].mid(3).split(' ').first().toLongLong();
            else
                ++kept;
        }
        QVERIFY(leftOut > 10000);
        QCOMPARE(kept + leftOut, 20000);
        QVERIFY(text.size() < 64 * 1024);
        const qsizetype wide = text.indexOf("\n> wide\n| ") + 10;
        QCOMPARE(text.indexOf('\n', wide) - wide, 1024); // cut at the longest line kept
        QVERIFY(text.endsWith("\n= 3\n"));
    }

    // Without a log the interpreter runs nothing: what ran and how it ended could not be told.
    // A program the system cannot start is told in the log with the system's reason.
    void unstartableProgram_isToldInTheLog() {
        testing::WriteFile(work + "/garbage", QByteArray("\x7f\x01\x02 not a program"));
        QFile::setPermissions(work + "/garbage", QFile::ReadOwner | QFile::ExeOwner);
        QCOMPARE(runBatch("garbage\r\n"), 126);
        QVERIFY2(log("job.log").contains("| './garbage' cannot be run: Exec format error\n= 126"),
                 log("job.log").constData());
    }

    void withoutItsLog_nothingRuns() {
        scratch->makeFolder(QStringLiteral("work folder/job.log/taken"));
        QCOMPARE(runBatch("record ran\r\n"), 125);
        QCOMPARE(log(), QByteArray());
    }

    void missingInterpreter_meansNoAssociation() {
        PosixLauncher without(scratch->path() + QStringLiteral("/nothing-here"));
        testing::WriteFile(work + QStringLiteral("/job.bat"), "record x");
        QCOMPARE(
            without.start(work + QStringLiteral("/job.bat"), QString(), work, QString(), 0).code,
            launch::NoAssociation);
    }
};

QTEST_GUILESS_MAIN(TestBatchInterpreter)
#include "tst_batch.moc"
