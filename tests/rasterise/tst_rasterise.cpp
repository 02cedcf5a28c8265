#include "common/jpeg.h"
#include "converting.h"
#include "fakelauncher.h"
#include "platform/failure.h"
#include "platform/launcher.h"
#include "rasterise/rasterise.h"
#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using rasterise::Rasterised;

namespace {

const QByteArray SmallEps = "%!PS-Adobe-3.0 EPSF-3.0\n"
                            "%%BoundingBox: 0 0 40 20\n"
                            "1 0 0 setrgbcolor 0 0 40 20 rectfill\n"
                            "showpage\n";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the batch log says was in force: the Landlock ABI (0 for none) and whether the
// system-call filter was.
std::pair<int, bool> Confinement(const QByteArray& log) {
    const auto abi =
        QRegularExpression(QStringLiteral("Landlock ABI (\\d+)")).match(QString::fromUtf8(log));
    return {abi.hasMatch() ? abi.captured(1).toInt() : 0, log.contains("system calls: no sockets")};
}

unsigned Mode(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestRasterise : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    QByteArray oldTemp;
    rasterise::RunFiles files;

    // Points TEMP at a fresh folder with blanks in its path and readies the working folder,
    // with the shipped launcher or the one of `application`.
    void prepare(const QString& application = QStringLiteral(PELLARINE_APP_FOLDER)) {
        const QString temp = scratch->makeFolder(QStringLiteral("my temp/with blanks"));
        qputenv("TEMP", QFile::encodeName(temp));
        files = rasterise::PrepareWorkingFolder(application);
        rasterise::WriteBatchFile(rasterise::BatchText(75), files);
    }
    // Without a memory ceiling, so that a launcher standing in for Ghostscript may start the
    // programs it needs (a ceiling keeps a command to one process).
    rasterise::Rasterisation rasterise(const QString& source, platform::Launcher& launcher,
                                       int timeLimitMs = rasterise::GhostscriptTimeLimitMs) {
        return testing::Rasterise(source, files, launcher, {timeLimitMs, 0});
    }

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        oldTemp = qgetenv("TEMP");
    }
    void cleanup() {
        qputenv("TEMP", oldTemp);
        scratch.reset();
    }

    void batchText_isExact_data() {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QByteArray>("text");
        const QByteArray head = "gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -dJPEGQ=";
        const QByteArray tail = " -dDOINTERPOLATE -dGraphicsAlphaBits=4 -dEPSCrop "
                                "-sOutputFile=current.jpg current.eps\r\ndel current.eps";
        QTest::newRow("Min. is the least quality Ghostscript honours")
            << 0 << 72 << head + "1" + tail;
        QTest::newRow("100") << 100 << 72 << head + "100" + tail;
        QTest::newRow("300 dpi") << 75 << 300
                                 << QByteArray(head).replace("-dJPEGQ=", "-r300 -dJPEGQ=") + "75" +
                                        tail;
    }
    void batchText_isExact() {
        QFETCH(int, quality);
        QFETCH(int, resolution);
        QFETCH(QByteArray, text);
        QCOMPARE(rasterise::BatchText(quality, resolution).toLatin1(), text);
    }

    void workingFolder_isTempPlusPs_readAnewEachTime() {
        qputenv("TEMP", "/first");
        QCOMPARE(rasterise::BatchFilePath(), QStringLiteral("/first/ps/eps2jpg.bat"));
        qputenv("TEMP", "/second");
        QCOMPARE(rasterise::CurrentEpsPath(), QStringLiteral("/second/ps/current.eps"));
        qputenv("TEMP", "relative"); // taken against the current folder, once and for all
        QCOMPARE(rasterise::WorkingFolder(), QDir::currentPath() + QStringLiteral("/relative/ps"));
    }

    void preparation_overwritesOldCopy_andOldBatchFileIsReplaced() {
        const QString ps = scratch->temp() + QStringLiteral("/ps");
        testing::WriteFile(ps + QStringLiteral("/gswin32c"), "stale");
        testing::WriteFile(ps + QStringLiteral("/eps2jpg.bat"),
                           QByteArray(4000, 'x') + "\r\nrecord old\r\n");
        QFile::setPermissions(ps, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        files = rasterise::PrepareWorkingFolder(QStringLiteral(PELLARINE_APP_FOLDER));
        rasterise::WriteBatchFile(rasterise::BatchText(100), files);
        QCOMPARE(ReadAll(ps + QStringLiteral("/gswin32c")),
                 ReadAll(QStringLiteral(PELLARINE_APP_FOLDER "/ps/gswin32c")));
        QCOMPARE(Mode(ps + QStringLiteral("/gswin32c")), 0500u);
        QCOMPARE(ReadAll(ps + QStringLiteral("/eps2jpg.bat")),
                 rasterise::BatchText(100).toLatin1());
        QCOMPARE(Mode(ps + QStringLiteral("/eps2jpg.bat")), 0400u);
        QFile::setPermissions(ps + QStringLiteral("/gswin32c"),
                              QFile::ReadOwner | QFile::WriteOther);
        QCOMPARE(rasterise::RestoreChangedFiles(files), QStringList{"gswin32c"});
        QCOMPARE(Mode(ps + QStringLiteral("/gswin32c")), 0500u);
        QCOMPARE(files.keys(), QStringList({ps + QStringLiteral("/eps2jpg.bat"),
                                            ps + QStringLiteral("/gswin32c")}));
    }

    void preparation_withoutApplicationPs_fails() {
        QVERIFY_THROWS_EXCEPTION(
            platform::Failure,
            rasterise::PrepareWorkingFolder(scratch->makeFolder(QStringLiteral("app"))));
    }

    void workingFolderOthersCanWrite_isRefused_andNothingRuns() {
        prepare();
        const QString temp = qEnvironmentVariable("TEMP");
        QFile::setPermissions(temp, QFile::permissions(temp) | QFile::WriteOther);
        testing::WriteFile(scratch->path() + QStringLiteral("/a.eps"), SmallEps);
        testing::FakeLauncher launcher;
        QCOMPARE(rasterise(scratch->path() + QStringLiteral("/a.eps"), launcher).result,
                 Rasterised::Failure);
        QVERIFY_THROWS_EXCEPTION(platform::Failure, rasterise::PrepareWorkingFolder(
                                                        QStringLiteral(PELLARINE_APP_FOLDER)));
        QVERIFY(launcher.starts.isEmpty());
    }

    void epsInTempWithBlanks_becomesJpeg_throughGhostscript() {
        prepare();
        const QString source =
            scratch->makeFolder(QStringLiteral("src dir")) + QStringLiteral("/plän mit blanks.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        QCOMPARE(rasterise(source, launcher).result, Rasterised::Converted);
        QVERIFY(!QFile::exists(rasterise::CurrentEpsPath()));
        QVERIFY(ReadAll(rasterise::CurrentJpgPath()).startsWith("\xFF\xD8"));
        QCOMPARE(launcher.started.size(), 1);
        QVERIFY(!testing::ProcessGroupExists(launcher.started[0]));
    }

    // Through the shipped launcher type is smoothed as lines are: the picture of a line of small
    // type lies nearer Ghostscript's smoothed rendering of it than its unsmoothed one.
    void smallType_isSmoothed() {
        prepare();
        const QString source = scratch->path() + QStringLiteral("/type.eps");
        testing::WriteFile(source,
                           "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 200 16\n"
                           "/Times-Roman 11 selectfont 2 4 moveto (Hamburgefonstiv) show\n");
        testing::RecordingLauncher launcher;
        QCOMPARE(rasterise(source, launcher).result, Rasterised::Converted);
        const QImage picture(rasterise::CurrentJpgPath());
        auto distance = [&](const QString& textBits) {
            const QString png = scratch->path() + QStringLiteral("/reference.png");
            QProcess::execute(QStringLiteral("gs"),
                              {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                               "-dGraphicsAlphaBits=4", "-dTextAlphaBits=" + textBits, "-dEPSCrop",
                               "-sOutputFile=" + png, source});
            const QImage reference(png);
            qint64 sum = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    sum += std::abs(qGray(picture.pixel(x, y)) - qGray(reference.pixel(x, y)));
            return sum;
        };
        QVERIFY(distance(QStringLiteral("4")) * 2 < distance(QStringLiteral("1")));
    }

    // A picture left by an earlier item never passes for this one's.
    void anOldPictureLeftOver_isNeverThisItems_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        QTest::newRow("not PostScript")
            << QByteArray("this is not PostScript at all {{{") << int(Rasterised::NotADrawing);
        QTest::newRow("draws nothing") << QByteArray("%!PS\nquit\n") << int(Rasterised::NoImage);
    }
    void anOldPictureLeftOver_isNeverThisItems() {
        QFETCH(QByteArray, content);
        prepare();
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        QCOMPARE(rasterise(source, launcher).result, Rasterised::Converted); // a whole picture
        testing::WriteFile(source, content);
        QTEST(int(rasterise(source, launcher).result), "result");
        QVERIFY(!QFile::exists(rasterise::CurrentEpsPath()));
        QVERIFY(!QFile::exists(rasterise::CurrentJpgPath()));
    }

    void endlessPostScript_isEndedAtTheLimit_andLeavesNothing() {
        prepare();
        const QString source = scratch->path() + QStringLiteral("/loop.eps");
        testing::WriteFile(source, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n{} loop\n");
        testing::RecordingLauncher launcher;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rasterise(source, launcher, 1500).result, Rasterised::TimedOut);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!QFile::exists(rasterise::CurrentEpsPath()));
        QVERIFY(!QFile::exists(rasterise::CurrentJpgPath()));
        QCOMPARE(launcher.started.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!testing::ProcessGroupExists(launcher.started[0]), 3000);
    }

    // Only a complete picture from a Ghostscript that ended well counts; the working folder's
    // launcher stands in for Ghostscript misbehaving.
    void onlyACompletePictureCounts_data() {
        QTest::addColumn<QByteArray>("launcher");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("detail");
        QTest::newRow("cut off") << QByteArray("gs \"$@\"; head -c 300 current.jpg > cut; "
                                               "cat cut > current.jpg")
                                 << int(Rasterised::Incomplete) << QString();
        QTest::newRow("picture, then a failure")
            << QByteArray("gs \"$@\"; echo 'Error: /ioerror in --showpage--'; exit 1")
            << int(Rasterised::GhostscriptError)
            << QStringLiteral("Error: /ioerror in --showpage--");
        QTest::newRow("killed") << QByteArray("gs \"$@\"; kill -9 $$")
                                << int(Rasterised::GhostscriptError)
                                << QStringLiteral("Ghostscript was ended by signal 9");
        QTest::newRow("a font note, then a failure status")
            << QByteArray("gs \"$@\"; echo 'Loading NimbusSans-Regular font from x.t1... 1 done.'; "
                          "exit 3")
            << int(Rasterised::GhostscriptError)
            << QStringLiteral("Ghostscript ended with status 3");
        QTest::newRow("not executable where it lies")
            << QByteArray("exec gs \"$@\"") << int(Rasterised::Converted) << QString();
    }
    void onlyACompletePictureCounts() {
        QFETCH(QByteArray, launcher);
        QFETCH(int, result);
        QFETCH(QString, detail);
        const QString application = testing::ApplicationFolderWithLauncher(*scratch, launcher);
        // As on a folder mounted "noexec": the script runs through its interpreter.
        QFile::setPermissions(application + QStringLiteral("/ps/gswin32c"), QFile::ReadOwner);
        prepare(application);
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher recording;
        const rasterise::Rasterisation outcome = rasterise(source, recording);
        QCOMPARE(int(outcome.result), result);
        QCOMPARE(outcome.detail + outcome.said, detail); // the program's words, or Ghostscript's
        QCOMPARE(QFile::exists(rasterise::CurrentJpgPath()), result == int(Rasterised::Converted));
    }

    // A drawing whose header defers its box to the end is cropped to the trailer's box, also
    // behind a binary preview header; one whose end gives none is told so.
    void aBoxGivenAtTheEnd_isTheTrailers_data() {
        QTest::addColumn<QByteArray>("trailer");
        QTest::addColumn<bool>("preview");
        QTest::newRow("given") << QByteArray("%%BoundingBox: 0 0 50 30\n") << false;
        QTest::newRow("behind a preview") << QByteArray("%%BoundingBox: 0 0 50 30\n") << true;
        QTest::newRow("never given") << QByteArray() << false;
    }
    void aBoxGivenAtTheEnd_isTheTrailers() {
        QFETCH(QByteArray, trailer);
        QFETCH(bool, preview);
        prepare();
        QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n0 0 50 30 rectfill\n"
                         "showpage\n%%Trailer\n" +
                         trailer;
        if (preview) // the PostScript at 30, its length (below 256), no pictures, no checksum
            eps = QByteArray("\xC5\xD0\xD3\xC6\x1E\0\0\0", 8) + char(eps.size()) +
                  QByteArray(19, '\0') + "\xFF\xFF" + eps;
        const QString source = scratch->path() + QStringLiteral("/atend.eps");
        testing::WriteFile(source, eps);
        testing::RecordingLauncher launcher;
        QCOMPARE(rasterise(source, launcher).detail,
                 trailer.isEmpty() ? rasterise::NoBoxAtTheEnd : QString());
        QCOMPARE(QImage(rasterise::CurrentJpgPath()).size(), QSize(50, 30) * !trailer.isEmpty());
    }

    // A file whose header gives a box is a drawing cropped to it, whatever its first line says;
    // one that never shows its page gets it shown once, one that shows its pages keeps them.
    void drawingsGiveTheirPages_withShowpageOrWithout_data() {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("showpages");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("cropped");
        const QByteArray box = "%%BoundingBox: 10 20 60 50\n";
        QTest::newRow("EPSF, none")
            << QByteArray("%!PS-Adobe-3.0 EPSF-3.0") << box << 0 << 1 << true;
        QTest::newRow("no EPSF, none") << QByteArray("%!PS-Adobe-3.0") << box << 0 << 1 << true;
        QTest::newRow("bare, none") << QByteArray("%!") << box << 0 << 1 << true;
        QTest::newRow("mistyped, none") << QByteArray("%%!") << box << 0 << 1 << true;
        QTest::newRow("no EPSF, one") << QByteArray("%!PS-Adobe-2.0") << box << 1 << 1 << true;
        QTest::newRow("EPSF, two")
            << QByteArray("%!PS-Adobe-3.0 EPSF-3.0") << box << 2 << 2 << true;
        QTest::newRow("no EPSF, two, pages told at the end")
            << QByteArray("%!PS-Adobe-3.0") << box + "%%Pages: (atend)\n"
            << 2 << 2 << false;
        QTest::newRow("no box, none")
            << QByteArray("%!PS-Adobe-3.0") << QByteArray() << 0 << 0 << false;
    }
    void drawingsGiveTheirPages_withShowpageOrWithout() {
        QFETCH(QByteArray, firstLine);
        QFETCH(QByteArray, header);
        QFETCH(int, showpages);
        QFETCH(int, pages);
        QFETCH(bool, cropped);
        prepare();
        QByteArray eps = firstLine + "\n" + header + "%%EndComments\n";
        for (int page = 0; page <= std::max(showpages - 1, 0); ++page)
            eps += "0 0 1 setrgbcolor 10 20 50 30 rectfill\n" +
                   QByteArray(showpages ? "showpage\n" : "");
        eps += "%%Trailer\n%%Pages: " + QByteArray::number(showpages) + "\n%%EOF\n";
        const QString source = scratch->path() + QStringLiteral("/figure.eps");
        testing::WriteFile(source, eps);
        testing::RecordingLauncher launcher;
        rasterise(source, launcher);
        QFile jpeg(rasterise::CurrentJpgPath());
        const auto pictures = jpeg.open(QIODevice::ReadOnly)
                                  ? jpeg::WholePictures(jpeg)
                                  : std::optional<QList<jpeg::PictureSpan>>();
        QCOMPARE(pictures.value_or(QList<jpeg::PictureSpan>()).size(), pages);
        if (pages > 0) {
            jpeg.seek(pictures->first().offset);
            QCOMPARE(QImage::fromData(jpeg.read(pictures->first().length)).size() == QSize(50, 30),
                     cropped);
        }
    }

    // A working folder on a full disk is named as full, not by Ghostscript's "/ioerror".
    void aFullWorkingFolder_isNamedAsFull() {
        const QString disk = scratch->makeFolder(QStringLiteral("small disk"));
        if (QProcess::execute(QStringLiteral("mount"),
                              {"-t", "tmpfs", "-o", "size=512k,mode=700", "tmpfs", disk}) != 0)
            QSKIP("a small disk needs the right to mount one");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {"-l", disk}); });
        qputenv("TEMP", QFile::encodeName(disk));
        files = rasterise::PrepareWorkingFolder(testing::ApplicationFolderWithLauncher(
            *scratch, "dd if=/dev/zero of=filler bs=4k 2>/dev/null; exec gs \"$@\""));
        rasterise::WriteBatchFile(rasterise::BatchText(75), files);
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        const rasterise::Rasterisation outcome = rasterise(source, launcher);
        QCOMPARE(outcome.result, Rasterised::WorkingFolderFull);
        QCOMPARE(outcome.detail, rasterise::WorkingFolder());
        // A source that does not fit in is told the same way.
        testing::WriteFile(source, QByteArray(1 << 20, '%'));
        QCOMPARE(rasterise(source, launcher).detail, rasterise::WorkingFolder());
    }

    // A Ghostscript that turned hostile reaches nothing past its picture. The launcher stands in
    // for it: for a source marked "hostile" it tries one thing, then draws as Ghostscript does.
    void hostileGhostscript_reachesNothingOutsideItsPicture_data() {
        QTest::addColumn<QByteArray>("attempt");
        QTest::addColumn<QString>("check");
        QTest::addColumn<int>("abi"); // the Landlock ABI that refuses it; 0: refused anyway
        QTest::newRow("write into the home folder")
            << QByteArray("echo x > \"$HOME/planted\"") << "home unchanged" << 1;
        QTest::newRow("delete in the home folder")
            << QByteArray("rm -f \"$HOME/victim\"") << "home unchanged" << 1;
        QTest::newRow("change a file of the home folder in place")
            << QByteArray("{ truncate -s 1 \"$HOME/victim\" || touch -d @0 \"$HOME/victim\" || "
                          "chown \"$(id -u)\" \"$HOME/victim\" || /usr/bin/python3 -c 'import os; "
                          "os.setxattr(\"$HOME/victim\", \"user.x\", b\"1\")'; "
                          "} && echo reached > reached")
            << "not reached" << 0;
        QTest::newRow("read a private file")
            << QByteArray("cat \"$HOME/victim\" > leaked") << "nothing leaked" << 1;
        QTest::newRow("connect to a local port")
            << QByteArray("bash -c \"exec 3<>/dev/tcp/127.0.0.1/$TEST_PORT\"") << "no connection"
            << 4;
        QTest::newRow("connect to a local socket")
            << QByteArray("/usr/bin/python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX)"
                          ".connect(sys.argv[1])' \"$TEST_SOCKET\" && echo reached > reached")
            << "not reached" << 0;
        QTest::newRow("rename in the working folder")
            << QByteArray("echo x > mine && mv mine renamed") << "not renamed" << 1;
        QTest::newRow("signal the program")
            << QByteArray("kill -CONT $TEST_PID && echo reached > reached") << "not reached" << 6;
        QTest::newRow("change the batch file")
            << QByteArray("chmod u+w eps2jpg.bat; echo 'echo owned > owned' >> eps2jpg.bat")
            << "batch file kept" << 0;
        QTest::newRow("leave a process running")
            << QByteArray("setsid sleep 300 & echo $! > sleeper") << "nothing left" << 0;
        QTest::newRow("outlive the time limit")
            << QByteArray("setsid sleep 300 & echo $! > sleeper; sleep 300") << "nothing left" << 0;
    }
    void hostileGhostscript_reachesNothingOutsideItsPicture() {
        QFETCH(QByteArray, attempt);
        QFETCH(QString, check);
        QFETCH(int, abi);
        const QString victim = scratch->home() + QStringLiteral("/victim");
        testing::WriteFile(victim, "private words");
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QLocalServer local;
        QVERIFY(local.listen(scratch->path() + QStringLiteral("/program.socket")));
        // Written into the script: Ghostscript is given none of the program's environment.
        attempt.replace("$HOME", QFile::encodeName(scratch->home()))
            .replace("$TEST_PORT", QByteArray::number(server.serverPort()))
            .replace("$TEST_PID", QByteArray::number(QCoreApplication::applicationPid()))
            .replace("$TEST_SOCKET", QFile::encodeName(local.fullServerName()));
        prepare(testing::ApplicationFolderWithLauncher(
            *scratch, "if grep -q hostile current.eps; then " + attempt + "; fi; exec gs \"$@\""));
        const QString hostile = scratch->path() + QStringLiteral("/hostile.eps");
        testing::WriteFile(hostile, SmallEps + "% hostile\n");
        testing::RecordingLauncher launcher;
        const bool timed = QTest::currentDataTag() == QLatin1String("outlive the time limit");
        const rasterise::Rasterisation outcome = rasterise(hostile, launcher, timed ? 1500 : 60000);

        const auto [landlock, filter] = Confinement(ReadAll(rasterise::BatchLogPath()));
        if (QTest::currentDataTag() == QLatin1String("connect to a local socket") && !filter)
            QSKIP("this kernel offers no system-call filter");
        if (landlock < abi && !(check == QLatin1String("no connection") && filter))
            QSKIP("this kernel does not offer the confinement that refuses it");
        const QString work = rasterise::WorkingFolder();
        if (check == QLatin1String("home unchanged"))
            QCOMPARE(QDir(scratch->home()).entryList(QDir::Files), QStringList{"victim"});
        else if (check == QLatin1String("nothing leaked"))
            QVERIFY(!ReadAll(work + QStringLiteral("/leaked")).contains("private"));
        else if (check == QLatin1String("no connection"))
            QVERIFY(!server.hasPendingConnections() && !server.waitForNewConnection(200));
        else if (check == QLatin1String("not reached"))
            QVERIFY(!QFile::exists(work + QStringLiteral("/reached")));
        else if (check == QLatin1String("not renamed"))
            QVERIFY(!QFile::exists(work + QStringLiteral("/renamed")));
        else if (check == QLatin1String("nothing left"))
            QCOMPARE(::kill(ReadAll(work + QStringLiteral("/sleeper")).trimmed().toInt(), 0), -1);
        if (timed) {
            QCOMPARE(outcome.result, Rasterised::TimedOut);
            return;
        }
        // A change the confinement let through is undone and named; the next file runs the
        // batch file as the program wrote it.
        QVERIFY2(outcome.result == Rasterised::Converted ||
                     (outcome.result == Rasterised::ChangedRunFiles &&
                      outcome.detail == QLatin1String("eps2jpg.bat")),
                 qPrintable(outcome.detail));
        QCOMPARE(ReadAll(rasterise::BatchFilePath()), rasterise::BatchText(75).toUtf8());
        const QString innocent = scratch->path() + QStringLiteral("/innocent.eps");
        testing::WriteFile(innocent, SmallEps);
        QCOMPARE(rasterise(innocent, launcher).result, Rasterised::Converted);
        QVERIFY(!QFile::exists(work + QStringLiteral("/owned")));
    }

    // Ghostscripts that work at once each have a working folder of their own, and one cannot
    // read or change another's files.
    void aDrawingInOneWorkingFolder_cannotReachAnothers() {
        const QString application = testing::ApplicationFolderWithLauncher(
            *scratch, "cat ../ps/secret > stolen 2>/dev/null; echo x > ../ps/planted; "
                      "echo x >> ../ps/eps2jpg.bat; exec gs \"$@\"");
        prepare(application);
        testing::WriteFile(rasterise::WorkingFolder() + QStringLiteral("/secret"), "private");
        rasterise::RunFiles second = rasterise::PrepareWorkingFolder(application, 1);
        rasterise::WriteBatchFile(rasterise::BatchText(75), second, 1);
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        QCOMPARE(testing::Rasterise(source, second, launcher, {60000, 0}, 1).result,
                 Rasterised::Converted);
        if (Confinement(ReadAll(rasterise::BatchLogPath(1))).first == 0)
            QSKIP("this kernel offers no Landlock");
        QVERIFY(
            !ReadAll(rasterise::WorkingFolder(1) + QStringLiteral("/stolen")).contains("private"));
        QVERIFY(!QFile::exists(rasterise::WorkingFolder() + QStringLiteral("/planted")));
        QCOMPARE(ReadAll(rasterise::BatchFilePath()), rasterise::BatchText(75).toUtf8());
    }

    void ghostscriptBeyondItsMemory_isEnded_withThatReason() {
        prepare();
        const QString source = scratch->path() + QStringLiteral("/grows.eps");
        testing::WriteFile(source, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                   "/d 10 dict def { d d length 1000000 string put } loop\n");
        testing::RecordingLauncher launcher;
        const auto outcome = testing::Rasterise(source, files, launcher, {30000, 300 << 20});
        QCOMPARE(outcome.result, Rasterised::OutOfMemory);
        QVERIFY(!QFile::exists(rasterise::CurrentJpgPath()));
    }

    // Without a control group of its own, what a drawing runs under a ceiling may start no
    // other process, so no number of children can multiply the memory one process may take.
    void aTreePastTheCeiling_isNeverStarted_data() {
        QTest::addColumn<qint64>("memory"); // the ceiling; 0 for none
        QTest::addColumn<QByteArray>("ceiling");
        QTest::newRow("under a ceiling")
            << qint64(300 << 20)
            << QByteArray("# ceiling: no control group of its own, so a command may start no "
                          "other process; each process 300 MB of address space; files up to "
                          "2048 MB\n");
        QTest::newRow("without one")
            << qint64(0) << QByteArray("# ceiling: none on memory; files up to 2048 MB\n");
    }
    void aTreePastTheCeiling_isNeverStarted() {
        QFETCH(qint64, memory);
        QFETCH(QByteArray, ceiling);
        prepare(testing::ApplicationFolderWithLauncher(
            *scratch,
            "for i in 1 2 3; do (echo started >> children) & done; wait; exec gs \"$@\""));
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        const auto outcome = testing::Rasterise(source, files, launcher, {30000, memory});
        const QByteArray log = ReadAll(rasterise::BatchLogPath());
        if (log.contains("a control group of its own"))
            QSKIP("the user's service manager holds the ceiling here");
        QVERIFY2(log.contains(ceiling), log.constData());
        const QByteArray children =
            ReadAll(rasterise::WorkingFolder() + QStringLiteral("/children"));
        QCOMPARE(children, memory ? QByteArray() : QByteArray("started\nstarted\nstarted\n"));
        QCOMPARE(outcome.result == Rasterised::Converted, memory == 0);
    }

    // Whatever an earlier file left in the working folder is gone before the next one runs, and
    // nothing a link there leads to is touched.
    void aLeftover_isRemovedBeforeTheNextFile_data() {
        QTest::addColumn<QString>("left");
        QTest::newRow("a large file") << "file";
        QTest::newRow("a folder of files") << "folder";
        QTest::newRow("a link to a file of the user's") << "link";
    }
    void aLeftover_isRemovedBeforeTheNextFile() {
        QFETCH(QString, left);
        prepare();
        const QString work = rasterise::WorkingFolder();
        const QString leftover = work + QStringLiteral("/left");
        const QString victim = scratch->home() + QStringLiteral("/victim");
        testing::WriteFile(victim, "keep me");
        if (left == QLatin1String("file"))
            testing::WriteFile(leftover, QByteArray(8 << 20, 'x'));
        else if (left == QLatin1String("folder"))
            testing::WriteFile(leftover + QStringLiteral("/deeper/x"));
        else
            QVERIFY(QFile::link(victim, leftover));
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::RecordingLauncher launcher;
        QCOMPARE(rasterise(source, launcher).result, Rasterised::Converted);
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                      QDir::System),
                 QStringList({"current.jpg", "eps2jpg.bat", "eps2jpg.log", "gswin32c"}));
        QCOMPARE(ReadAll(victim), QByteArray("keep me"));
    }

    void sourceThatIsAPipe_orMissing_failsAtOnce_withoutCopyOrRun() {
        prepare();
        const QString pipe = scratch->path() + QStringLiteral("/pipe.eps");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        testing::FakeLauncher launcher;
        const auto piped = rasterise(pipe, launcher);
        QCOMPARE(piped.result, Rasterised::NotAFile);
        QCOMPARE(piped.detail, QStringLiteral("it is a named pipe, not a regular file"));
        const auto gone = rasterise(scratch->path() + QStringLiteral("/gone.eps"), launcher);
        QCOMPARE(gone.result, Rasterised::CopyFailed);
        QVERIFY(launcher.starts.isEmpty());
        QVERIFY(!QFile::exists(rasterise::CurrentEpsPath()));
    }

    void batchFileThatCannotStart_leavesNoInput() {
        prepare();
        const QString source = scratch->path() + QStringLiteral("/a.eps");
        testing::WriteFile(source, SmallEps);
        testing::FakeLauncher launcher;
        launcher.result = platform::launch::NoAssociation;
        QCOMPARE(rasterise(source, launcher).result, Rasterised::LaunchFailed);
        QCOMPARE(launcher.starts.size(), 1);
        QCOMPARE(launcher.starts[0].file,
                 QLatin1Char('"') + rasterise::BatchFilePath() + QLatin1Char('"'));
        QCOMPARE(launcher.starts[0].directory, rasterise::WorkingFolder() + QLatin1Char('/'));
        QCOMPARE(launcher.starts[0].showState, 0);
        QVERIFY(!QFile::exists(rasterise::CurrentEpsPath()));
    }
};

QTEST_GUILESS_MAIN(TestRasterise)
#include "tst_rasterise.moc"
