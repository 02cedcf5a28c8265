// The program installed into a fresh prefix, run as a user runs it: files on its command line,
// a second start handing its files over, a conversion, the samples, a killed window.
#include "app/settings.h"
#include "formfixture.h"
#include "intake/commandline.h"
#include "rasterise/rasterise.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The resolutions the program's command line offers.

// The last job list a probe reported, and every message box it saw.
struct Seen {
    QStringList rows;
    QStringList messages;
};

Seen Read(const QString& report) {
    Seen seen;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return seen;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        QStringList fields = line.split(QLatin1Char('\t'));
        const QString kind = fields.takeFirst();
        if (kind == QLatin1String("rows"))
            seen.rows = fields;
        else if (kind == QLatin1String("message"))
            seen.messages << fields.join(QLatin1Char('\t'));
    }
    return seen;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
    testing::ScratchHome home;
    QString prefix = home.makeFolder(QStringLiteral("prefix"));
    QString files = home.makeFolder(QStringLiteral("files"));
    QString program = prefix + QStringLiteral("/bin/pellarine");
    QList<QProcess*> started;

    // Starts the installed program in `files` with a private runtime folder; with `report`,
    // a probe inside it reports there.
    QProcess* Start(const QStringList& arguments, const QString& report = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + QStringLiteral("/run"));
        if (!report.isEmpty()) {
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(PELLARINE_PROBE));
            env.insert(QStringLiteral("PELLARINE_PROBE"), report);
        }
        auto* process = new QProcess(this);
        started << process;
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(files);
        process->start(program, arguments);
        return process;
    }

private slots:
    void initTestCase() {
        QFile::setPermissions(home.makeFolder(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess install;
        install.start(QStringLiteral(PELLARINE_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(PELLARINE_APP_FOLDER),
                       QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        QDir().mkpath(files + QStringLiteral("/folder"));
        for (const char* name : {"x.eps", "y.eps", "z.eps", "folder/w.eps", "folder/v.ps"})
            QVERIFY(QFile::copy(
                QStringLiteral(PELLARINE_SOURCE_DIR "/resources/data/Samples/gradient.eps"),
                files + QLatin1Char('/') + QLatin1String(name)));
        QDir().mkpath(home.home() + QStringLiteral("/Desktop")); // where the PDFs go
        QVERIFY(QFile::link(home.makeFolder(QStringLiteral("elsewhere/sub")),
                            files + QStringLiteral("/link")));
    }

    void cleanup() {
        for (QProcess* process : std::as_const(started)) {
            process->kill();
            process->waitForFinished();
        }
        qDeleteAll(started);
        started.clear();
    }

    // Named paths become absolute against the current folder; "." and ".." fold away, except
    // behind a linked folder, where folding would name another file.
    void commandLinePaths_becomeAbsolute_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("dots") << QStringList{"./folder/../x.eps"} << QStringList{files + "/x.eps"};
        QTest::newRow("behind a link")
            << QStringList{"link/../x.eps"} << QStringList{files + "/link/../x.eps"};
        QTest::newRow("dash after --")
            << QStringList{"--", "-x.eps"} << QStringList{files + "/-x.eps"};
        QTest::newRow("Qt's own options")
            << QStringList{"-platform", "offscreen", "--style=fusion", "-reverse", "x.eps"}
            << QStringList{files + "/x.eps"};
    }
    void commandLinePaths_becomeAbsolute() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QVERIFY(QDir::setCurrent(files));
        QCOMPARE(commandline::ParseCommandLine(QStringList{"pellarine"} + arguments).paths,
                 expected);
    }

    // A file whose name is not valid UTF-8 is known by its bytes only: when it exists it is told
    // as left out, never looked for under the name its text gives; a missing one is not found.
    void commandLine_undecodableExistingFile_isLeftOut() {
        QVERIFY(QDir::setCurrent(files));
        QByteArray given[] = {"pellarine", "u-\xff.eps", "x.eps", "gone-\xfe.eps"};
        char* argv[] = {given[0].data(), given[1].data(), given[2].data(), given[3].data()};
        QVERIFY(::close(::open(given[1].constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        QStringList undecodable;
        const QStringList arguments = commandline::RawArguments(4, argv, &undecodable);
        ::unlink(given[1].constData()); // beyond what QTemporaryDir can name
        const commandline::CommandLine line = commandline::ParseCommandLine(arguments, undecodable);
        QCOMPARE(line.leftOut, QStringList{files + "/u-?.eps"});
        QCOMPARE(line.paths, (QStringList{files + "/x.eps", files + "/gone-\uFFFD.eps"}));
    }

    void optionsAreToldWithoutADisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected"); // how standard output, or the error, begins
        QTest::newRow("help") << "--help" << 0 << "Usage: ";
        QTest::newRow("version") << "--version" << 0 << "pellarine 1.0\n";
        QTest::newRow("unknown") << "--no-such-option" << 2 << "Unknown option 'no-such-option'.";
        QTest::newRow("resolution not listed")
            << "--resolution=299" << 2 << "The resolution must be 72, 150, 300 or 600";
    }
    void optionsAreToldWithoutADisplay() {
        QFETCH(QString, option);
        QFETCH(int, status);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        process.setProcessEnvironment(env);
        process.start(program, {option});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QByteArray told =
            status == 0 ? process.readAllStandardOutput() : process.readAllStandardError();
        QVERIFY2(QString::fromLocal8Bit(told).startsWith(expected), told.constData());
    }

    // The first start lists its file; a second start with files hands them to it and ends;
    // the window then converts with the installed ps/ and lists the installed samples.
    void secondStart_handsFilesToTheOpenWindow() {
        testing::StoreSetting(settings::Extension, QStringLiteral("ps"));
        const QString report = home.path() + QStringLiteral("/first.txt");
        Start({QStringLiteral("x.eps")}, report);
        QTRY_COMPARE_WITH_TIMEOUT(Read(report).rows, QStringList{files + QStringLiteral("/x.eps")},
                                  20000);

        QProcess* second = Start(
            {QStringLiteral("y.eps"), QStringLiteral("folder/"), QStringLiteral("missing.eps")});
        QVERIFY(second->waitForFinished(20000));
        QCOMPARE(second->exitCode(), 0);
        const QStringList expected{files + QStringLiteral("/x.eps"),
                                   files + QStringLiteral("/y.eps"),
                                   files + QStringLiteral("/folder/v.ps")};
        QTRY_COMPARE_WITH_TIMEOUT(Read(report).rows, expected, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(Read(report).messages.size(), 1, 20000);
        QVERIFY(Read(report).messages[0].endsWith(files + QStringLiteral("/missing.eps")));

        testing::WriteFile(report + ".press", "Start Converting To PDF"); // the probe presses it
        QTRY_COMPARE_WITH_TIMEOUT(Read(report).messages.size(), 2, 60000);
        QCOMPARE(Read(report).messages[1], QStringLiteral("Done."));
        for (const char* name : {"/Desktop/x.pdf", "/Desktop/y.pdf", "/Desktop/v.pdf"}) {
            QFile pdf(home.home() + QLatin1String(name));
            QVERIFY2(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-", name);
        }

        testing::WriteFile(report + ".press", "Load Sample/Example Files");
        QTRY_COMPARE_WITH_TIMEOUT(Read(report).messages.size(), 3, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            Read(report).rows.contains(prefix +
                                       QStringLiteral("/lib/pellarine/Samples/gradient.eps")),
            20000);
    }

    // A window killed outright leaves its lock and socket behind; the next start opens its own
    // window with its files all the same.
    void killedWindow_neverBlocksTheNextStart() {
        const QString first = home.path() + QStringLiteral("/killed.txt");
        QProcess* killed = Start({QStringLiteral("x.eps")}, first);
        QTRY_COMPARE_WITH_TIMEOUT(Read(first).rows.size(), 1, 20000);
        killed->kill();
        QVERIFY(killed->waitForFinished());
        QVERIFY(QFile::exists(home.path() + QStringLiteral("/run/pellarine/pellarine.lock")));

        const QString next = home.path() + QStringLiteral("/next.txt");
        Start({QStringLiteral("z.eps")}, next);
        QTRY_COMPARE_WITH_TIMEOUT(Read(next).rows, QStringList{files + QStringLiteral("/z.eps")},
                                  20000);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
