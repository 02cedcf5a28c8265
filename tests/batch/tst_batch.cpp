// The command interpreter that runs batch files, driven through the real launcher.
#include "platform/launcher.h"
#include "scratchhome.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

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
    int runBatch(const QByteArray& text) {
        testing::WriteFile(work + QStringLiteral("/job.bat"), text);
        const LaunchResult r =
            launcher.start(QLatin1Char('"') + work + QStringLiteral("/job.bat\""), QString(),
                           work + QLatin1Char('/'), QStringLiteral("open"), 0);
        if (r.code <= 32)
            return -1000 - r.code;
        QDeadlineTimer deadline(10000);
        int status;
        while ((status = launcher.exitStatus(r.processId)) == launch::StillActive &&
               !deadline.hasExpired())
            QTest::qSleep(10);
        launcher.release(r.processId);
        return status;
    }

    QByteArray log() {
        QFile file(work + QStringLiteral("/log.txt"));
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
