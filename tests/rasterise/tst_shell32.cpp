#include "fakelauncher.h"
#include "rasterise/shell32.h"

#include <QTest>

#include <algorithm>

using testing::FakeLauncher;

class TestShell32 : public QObject {
    Q_OBJECT

private slots:
    void exeInName_startsHidden_butPlainStartIsNormal_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("used");
        QTest::newRow("upper, with parameters") << "C:/TOOLS/APP.EXE"
                                                << "-x"
                                                << "" << 1 << 0;
        QTest::newRow("lower, with directory") << "c:/tools/app.exe"
                                               << ""
                                               << "/tmp" << 1 << 0;
        QTest::newRow("exe, plain start") << "C:/TOOLS/APP.EXE"
                                          << ""
                                          << "" << 0 << 1;
        QTest::newRow("other, plain start") << "/a/b.bat"
                                            << ""
                                            << "" << 0 << 1;
        QTest::newRow("other, with directory") << "/a/b.bat"
                                               << ""
                                               << "/tmp" << 0 << 0;
    }
    void exeInName_startsHidden_butPlainStartIsNormal() {
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        QFETCH(QString, directory);
        QFETCH(int, requested);
        QFETCH(int, used);
        FakeLauncher launcher;
        const Shell32::ShellResult r = Shell32::ShellExecuteFile(
            launcher, file, requested, parameters, directory, QStringLiteral("open"));
        QVERIFY(!r.error);
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts[0].showState, used);
        QCOMPARE(launcher.starts[0].file, file);
        QCOMPARE(launcher.starts[0].parameters, parameters);
        QCOMPARE(launcher.starts[0].directory, directory);
    }

    void failureCode_givesNumberAndMessage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        const QString generic = QStringLiteral(
            "An error occurred occurred whilst trying to open or print the selected file.");
        QTest::newRow("0") << 0 << 7 << "Out of memory";
        QTest::newRow("2") << 2 << 53 << "File not found";
        QTest::newRow("11") << 11 << -2147220445 << "The executable file is invalid or corrupt";
        QTest::newRow("14") << 14 << -2147220442 << generic;
        QTest::newRow("31") << 31 << -2147220425
                            << "No application is associated with this file type.";
    }
    void failureCode_givesNumberAndMessage() {
        QFETCH(int, code);
        QFETCH(int, number);
        QFETCH(QString, message);
        FakeLauncher launcher;
        launcher.result = code;
        const Shell32::ShellResult r = Shell32::ShellExecuteFile(
            launcher, QStringLiteral("/x/y.bat"), 0, QString(), QString(), QStringLiteral("open"));
        QCOMPARE(r.result, code);
        QVERIFY(r.error.has_value());
        QCOMPARE(r.error->number, number);
        QCOMPARE(r.error->description, message);
    }

    void resultAbove32_isSuccess() {
        FakeLauncher launcher;
        launcher.result = 33;
        const Shell32::ShellResult r = Shell32::ShellExecuteFile(
            launcher, QStringLiteral("/x/y.bat"), 0, QString(), QString(), QStringLiteral("open"));
        QCOMPARE(r.result, 33);
        QVERIFY(!r.error);
    }
};

QTEST_GUILESS_MAIN(TestShell32)
#include "tst_shell32.moc"
