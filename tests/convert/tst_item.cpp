// Converting one item without the window: every source that gives no PDF says why.
#include "convert/item.h"
#include "convert/rasterise.h"
#include "fakes.h"
#include "pdfprobe.h"
#include "platform/failure.h"
#include "platform/launcher.h"
#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

namespace {

const QByteArray SquareEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 50 50\n"
                             "0 0 1 setrgbcolor 0 0 50 50 rectfill\nshowpage\n%%EOF\n";

} // namespace

class TestItem : public QObject {
    Q_OBJECT

    // Converts `content` as the source `name` into `out` through the real PDF Writer, drawn at
    // `resolution`, Ghostscript ended after `limitMs`.
    static item::Outcome ConvertAt(testing::ScratchHome& scratch, const QString& name,
                                   const QByteArray& content, int resolution, int limitMs,
                                   const QString& out) {
        testing::FakeServices fakes;
        rasterise::RunFiles files = rasterise::PrepareWorkingFolder(PELLARINE_APP_FOLDER);
        rasterise::WriteBatchFile(rasterise::BatchText(75, resolution), files);
        const QString source = scratch.makeFolder(QStringLiteral("src")) + "/" + name;
        testing::WriteFile(source, content);
        platform::PosixLauncher launcher(PELLARINE_APP_FOLDER "/pellarine-batch");
        return item::ConvertItem(source, {out, false},
                                 {launcher, fakes.printers, fakes.printing, files, limitMs, 1 << 30,
                                  resolution, [](int, const platform::Failure&) {}});
    }

private slots:
    void everyMissingPdf_hasItsReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("folder"); // "" beside the source, "-" none set, else a name
        QTest::addColumn<QString>("reason"); // what the reason starts with
        QTest::addColumn<int>("reportedStep");
        QTest::newRow("converted") << "good.eps" << SquareEps << "out" << QString() << 0;
        QTest::newRow("empty") << "empty.eps" << QByteArray() << "out"
                               << "Ghostscript made no picture of it" << 0;
        QTest::newRow("not PostScript")
            << "words.eps" << QByteArray("this is not PostScript") << "out"
            << "Ghostscript could not convert it: Error: /undefined in this" << 0;
        QTest::newRow("endless") << "loop.eps" << QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n{} loop\n")
                                 << "out"
                                 << "stopped: Ghostscript had not finished after 1.5 s" << 0;
        QTest::newRow("no dot") << "noextension" << SquareEps << "out"
                                << "The file name %1/noextension has no \".\"" << 128;
        QTest::newRow("a pipe") << "pipe.eps" << QByteArray("fifo") << "out"
                                << "it could not be copied: it is a named pipe" << 134;
        QTest::newRow("vanished") << "gone.eps" << QByteArray("missing") << "out"
                                  << "it could not be copied: the file cannot be found" << 134;
        QTest::newRow("its own output") << "self.pdf" << SquareEps << ""
                                        << "it is its own output file" << 0;
        QTest::newRow("output folder gone") << "a.eps" << SquareEps << "gone"
                                            << "The output folder %2/gone does not exist." << 128;
        QTest::newRow("no output folder") << "a.eps" << SquareEps << "-"
                                          << "No output folder is set, so the PDF of" << 128;
        QTest::newRow("launcher broken")
            << "a.eps" << SquareEps << "broken"
            << "Ghostscript could not be started: its launcher %3 said: " << 0;
        QTest::newRow("launcher missing")
            << "a.eps" << SquareEps << "nolauncher"
            << "Ghostscript could not be started: its launcher %3 is missing; reinstalling" << 0;
        QTest::newRow("no interpreter")
            << "a.eps" << SquareEps << "nointerpreter"
            << "the batch file could not be started: No application is associated with this "
               "file type. (the command interpreter "
            << 0;
    }
    void everyMissingPdf_hasItsReason() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        QFETCH(int, reportedStep);
        testing::ScratchHome scratch;
        testing::FakeServices fakes;
        QString application = QStringLiteral(PELLARINE_APP_FOLDER);
        if (folder == QLatin1String("broken") || folder == QLatin1String("nolauncher"))
            application =
                testing::ApplicationFolderWithLauncher(scratch, "exec no-such-ghostscript \"$@\"");
        if (folder == QLatin1String("nolauncher"))
            QFile::remove(application + QStringLiteral("/ps/gswin32c"));
        rasterise::RunFiles files = rasterise::PrepareWorkingFolder(application);
        rasterise::WriteBatchFile(rasterise::BatchText(75), files);
        const QString source = scratch.makeFolder(QStringLiteral("src")) + QLatin1Char('/') + name;
        if (content == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
        else if (content != "missing")
            testing::WriteFile(source, content);
        platform::PosixLauncher launcher(
            folder == QLatin1String("nointerpreter")
                ? scratch.path() + QStringLiteral("/pellarine-batch")
                : QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
        QList<int> reported;
        const item::Tools tools{launcher,
                                fakes.printers,
                                fakes.printing,
                                files,
                                1500,
                                1 << 30,
                                72,
                                [&](int step, const platform::Failure&) { reported << step; }};
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        const item::Destination destination{folder == QLatin1String("gone")
                                                ? scratch.path() + QStringLiteral("/gone")
                                            : folder == QLatin1String("-") ? QString()
                                                                           : out,
                                            folder.isEmpty()};

        const item::Outcome outcome = item::ConvertItem(source, destination, tools);
        QCOMPARE(outcome.converted, reason.isEmpty());
        QVERIFY(!outcome.converted || outcome.reason.isEmpty());
        reason.replace(QStringLiteral("%1"), scratch.path() + QStringLiteral("/src"))
            .replace(QStringLiteral("%2"), scratch.path())
            .replace(QStringLiteral("%3"),
                     rasterise::WorkingFolder() + QStringLiteral("/gswin32c"));
        QVERIFY2(outcome.reason.startsWith(reason), qPrintable(outcome.reason));
        QCOMPARE(reported, reportedStep ? QList<int>{reportedStep} : QList<int>{});
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), reason.isEmpty() ? 1 : 0);
        QVERIFY(!QFile::exists(rasterise::CurrentJpgPath()));
    }

    // The page is the drawing's box at every resolution, and the PDF says what it is.
    void thePage_isTheDrawingsBox_atEveryResolution_data() {
        QTest::addColumn<int>("resolution");
        for (const int resolution : rasterise::Resolutions)
            QTest::addRow("%d dpi", resolution) << resolution;
    }
    void thePage_isTheDrawingsBox_atEveryResolution() {
        QFETCH(int, resolution);
        testing::ScratchHome scratch;
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        QVERIFY(ConvertAt(scratch, "figure (1).eps",
                          "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 110 70\n"
                          "0 0 1 setrgbcolor 10 20 100 50 rectfill\n",
                          resolution, 60000, out)
                    .converted);
        const QString pdf = out + QStringLiteral("/figure (1).pdf");
        const QStringList size = testing::PageSize(pdf).split(QStringLiteral(" x "));
        QVERIFY2(std::abs(size.value(0).toDouble() - 100) <= 1 &&
                     std::abs(size.value(1).toDouble() - 50) <= 1,
                 qPrintable(size.join(QStringLiteral(" x "))));
        const QString info = testing::PdfInfo(pdf);
        for (const char* note : {"Title:           figure (1).eps\n",
                                 "Producer:        Pellarine 1.", "CreationDate:    "})
            QVERIFY2(info.contains(QLatin1String(note)), qPrintable(info));
        QProcess check;
        check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        // ... drawn at the resolution: the picture's pixels across, as pdfimages lists them.
        check.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        QVERIFY(check.waitForFinished(20000));
        const QList<QByteArray> image =
            check.readAllStandardOutput().split('\n').value(2).simplified().split(' ');
        QVERIFY(std::abs(image.value(3).toInt() - 100 * resolution / 72) <= 1);
    }

    // A drawing that takes too long at a fine resolution is told to try the next lower one.
    void tooLongAtAFineResolution_namesALowerOne() {
        testing::ScratchHome scratch;
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        QCOMPARE(ConvertAt(scratch, "loop.eps", testing::LoopingEps, 300, 1500, out).reason,
                 QStringLiteral("stopped: Ghostscript had not finished after 1.5 s at 300 dpi, "
                                "which may be too fine for this drawing; try 150 dpi (right-click "
                                "the \"PDF Quality\" slider to choose it)"));
        QVERIFY(QDir(out).isEmpty() && !QFile::exists(rasterise::CurrentJpgPath()));
    }

    // A PDF that was there before the item does not pass for the one the item should make.
    void anOlderPdf_isNoProofOfThisOne() {
        testing::ScratchHome scratch;
        testing::FakeServices fakes;
        rasterise::RunFiles files = rasterise::PrepareWorkingFolder(PELLARINE_APP_FOLDER);
        rasterise::WriteBatchFile(rasterise::BatchText(75), files);
        const QString source = scratch.makeFolder(QStringLiteral("src")) + "/a.eps";
        testing::WriteFile(source, SquareEps);
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        testing::WriteFile(out + "/a.pdf", "an older PDF");
        platform::SystemPrinting silent(
            {{"Marrowind PDF Writer", [](const QString&, const QString&) {}}});
        platform::PosixLauncher launcher(PELLARINE_APP_FOLDER "/pellarine-batch");
        const item::Tools tools{
            launcher, fakes.printers, silent, files,
            60000,    1 << 30,        72,     [](int, const platform::Failure&) {}};
        const item::Outcome outcome = item::ConvertItem(source, {out, false}, tools);
        QVERIFY(!outcome.converted);
        QCOMPARE(outcome.reason, QStringLiteral("the PDF Writer did not save %1/a.pdf").arg(out));
    }
};

QTEST_MAIN(TestItem)
#include "tst_item.moc"
