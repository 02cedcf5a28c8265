// Converting one item without the window: every source that gives no PDF says why.
#include "convert/item.h"
#include "converting.h"
#include "fakes.h"
#include "pdfprobe.h"
#include "platform/failure.h"
#include "platform/launcher.h"
#include "rasterise/rasterise.h"
#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray SquareEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 50 50\n"
                             "0 0 1 setrgbcolor 0 0 50 50 rectfill\nshowpage\n%%EOF\n";
// A PDF of the same square, without the table that Ghostscript can do without.
const QByteArray SquarePdf =
    "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[3 0 R]"
    "/Count 1>>endobj\n3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 50 50]/Contents 4 0 R>>"
    "endobj\n4 0 obj<</Length 23>>stream\n0 0 1 rg 0 0 50 50 re f\nendstream endobj\n"
    "trailer<</Root 1 0 R>>\n%%EOF\n";

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
        const item::Equipment equipment{launcher, fakes.printers, fakes.printing,
                                        {},       limitMs,        1 << 30};
        return testing::ConvertItem(
            source, {out, false},
            {equipment, {limitMs, 1 << 30}, resolution, [](int, const platform::Failure&) {}},
            files);
    }

private slots:
    void everyMissingPdf_hasItsReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("folder"); // "" beside the source, "-" none set, else a name
        QTest::addColumn<QString>("reason"); // what the reason starts with
        QTest::addColumn<int>("reportedStep");
        QTest::newRow("converted") << "good.eps" << SquareEps << "out" << QString() << 0;
        // What a file is, when it is no drawing, told from its first bytes.
        const QString no = "it is not a PostScript drawing: it is ";
        const std::pair<QString, QByteArray> kinds[] = {
            {"an empty file", ""},
            {"a PNG picture", QByteArray::fromHex("89504e470d0a1a0a0000000d49484452")},
            {"a JPEG picture", QByteArray::fromHex("ffd8ffe000104a464946")},
            {"a GIF picture", "GIF89a\x01\x00\x01\x00"},
            {"a TIFF picture", QByteArray::fromHex("49492a0008000000")},
            {"a BMP picture", QByteArray::fromHex("424d460000000000000036000000280000000100")},
            {"a gzip archive; unpack it", QByteArray::fromHex("1f8b0800000000000003")},
            {"a bzip2 archive", "BZh91AY&SY\x12\x34"},
            {"an xz archive", QByteArray::fromHex("fd377a585a000004e6d6b446")},
            {"a ZIP archive", QByteArray::fromHex("504b0304140000000800")}};
        for (const auto& [what, bytes] : kinds)
            QTest::newRow(qPrintable(what)) << "x.eps" << bytes << "out" << no + what << 0;
        QTest::newRow("text") << "words.eps" << QByteArray("this is not PostScript") << "out"
                              << no + "plain text without a PostScript header (\"%!\"). "
                                      "Ghostscript said: \"Error: /undefined in this\""
                              << 0;
        QTest::newRow("a PDF") << "doc.eps" << SquarePdf << "out" << QString() << 0;
        QTest::newRow("an error in PostScript")
            << "error.eps" << QByteArray("%!PS\nnosuchoperator\n") << "out"
            << "Ghostscript stopped at an error in its PostScript. Ghostscript said: \"Error: "
               "/undefined in nosuchoperator\""
            << 0;
        // What a drawing prints is quoted as printed, on one line and shortened, never the
        // program's own words.
        const QString fake = "Error: Pellarine licence expired - call +1-555-0100 or visit "
                             "http://evil.example/renew 'now'" +
                             QString(" and again").repeated(12);
        QTest::newRow("a drawing's own words")
            << "fake.eps"
            << QByteArray("%!PS\nerrordict /handleerror {(Error: Pellarine licence expired - "
                          "call +1-555-0100 or visit http://evil.example/renew \342\200\256\"now\""
                          " and again and again and again and again and again and again and "
                          "again and again and again and again and again and again) print "
                          "flush} put nosuchoperator\n")
            << "out"
            << "Ghostscript could not convert it. Ghostscript said: \"" + fake.left(157) + "...\""
            << 0;
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
        const item::Equipment equipment{launcher, fakes.printers, fakes.printing,
                                        {},       1500,           1 << 30};
        const item::Tools tools{equipment,
                                {equipment.timeLimitMs, equipment.memoryLimitBytes},
                                72,
                                [&](int step, const platform::Failure&) { reported << step; }};
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        const item::Destination destination{folder == QLatin1String("gone")
                                                ? scratch.path() + QStringLiteral("/gone")
                                            : folder == QLatin1String("-") ? QString()
                                                                           : out,
                                            folder.isEmpty()};

        const item::Outcome outcome = testing::ConvertItem(source, destination, tools, files);
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

    // Another user's link is never followed, in the source's path or the output folder's, and a
    // PDF is no more readable than its source.
    void aLinkOfAnotherUsers_isNotFollowed_andThePdfIsAsPrivateAsTheSource_data() {
        QTest::addColumn<QString>("source"); // in the scratch folder
        QTest::addColumn<QString>("folder"); // the output folder; "" beside the source
        QTest::addColumn<QString>("reason"); // what the reason starts with; "" converted
        QTest::addColumn<int>("othersRead"); // whether others may read the PDF
        const QString refused = QStringLiteral(
            "it is reached through the link %1, which belongs to another user (4242)");
        QTest::newRow("the source")
            << "shared/x.eps"
            << ""
            << "it could not be copied: " + refused.arg("%1/shared/x.eps") << 0;
        QTest::newRow("a folder on its way")
            << "shared/dir/secret.eps"
            << "out"
            << "it could not be copied: " + refused.arg("%1/shared/dir") << 0;
        QTest::newRow("the output folder")
            << "public/a.eps"
            << "shared/outlink"
            << "The output folder %1/shared/outlink cannot be used: " +
                   refused.arg("%1/shared/outlink")
            << 0;
        QTest::newRow("a link of ours to a private file") << "shared/mine.eps"
                                                          << "out"
                                                          << "" << 0;
        QTest::newRow("a public file") << "public/a.eps"
                                       << "out"
                                       << "" << 1;
    }
    void aLinkOfAnotherUsers_isNotFollowed_andThePdfIsAsPrivateAsTheSource() {
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        if (::geteuid() != 0)
            QSKIP("giving a link to another user needs the administrator");
        testing::ScratchHome scratch;
        testing::FakeServices fakes;
        const QString root = scratch.path();
        const QString secret = scratch.makeFolder(QStringLiteral("private")) + "/secret.eps";
        testing::WriteFile(secret, SquareEps);
        ::chmod(QFile::encodeName(root + "/private"), 0700);
        ::chmod(QFile::encodeName(secret), 0600);
        testing::WriteFile(root + "/public/a.eps", SquareEps);
        ::chmod(QFile::encodeName(root + "/public/a.eps"), 0644);
        ::chmod(QFile::encodeName(root), 0755);
        ::chmod(QFile::encodeName(scratch.makeFolder(QStringLiteral("shared"))), 0777);
        const auto plant = [&](const QString& target, const QString& link, uid_t owner) {
            QVERIFY(QFile::link(target, root + link));
            QCOMPARE(::lchown(QFile::encodeName(root + link), owner, owner), 0);
        };
        plant(secret, "/shared/x.eps", 4242);
        plant(root + "/private", "/shared/dir", 4242);
        plant(scratch.makeFolder(QStringLiteral("elsewhere")), "/shared/outlink", 4242);
        plant(secret, "/shared/mine.eps", ::geteuid());
        rasterise::RunFiles files = rasterise::PrepareWorkingFolder(PELLARINE_APP_FOLDER);
        rasterise::WriteBatchFile(rasterise::BatchText(75), files);
        platform::PosixLauncher launcher(PELLARINE_APP_FOLDER "/pellarine-batch");
        const item::Equipment equipment{launcher, fakes.printers, fakes.printing,
                                        {},       60000,          1 << 30};
        const item::Tools tools{equipment,
                                {equipment.timeLimitMs, equipment.memoryLimitBytes},
                                72,
                                [](int, const platform::Failure&) {}};
        const QString out = scratch.makeFolder(QStringLiteral("out"));
        const item::Outcome outcome = testing::ConvertItem(
            root + '/' + source,
            {folder.isEmpty() ? QString() : root + '/' + folder, folder.isEmpty()}, tools, files);
        reason.replace(QStringLiteral("%1"), root);
        QVERIFY2(reason.isEmpty() ? outcome.reason.isEmpty() : outcome.reason.startsWith(reason),
                 qPrintable(outcome.reason));
        QCOMPARE(outcome.converted, reason.isEmpty());
        for (const QString& place : {out, root + "/shared", root + "/elsewhere"})
            QCOMPARE(QDir(place).entryList({"*.pdf"}, QDir::Files).size(),
                     int(place == out && outcome.converted));
        if (outcome.converted)
            QTEST(int((QFileInfo(outcome.output).permissions() & QFile::ReadOther) != 0),
                  "othersRead");
    }

    // The page is the drawing's box at every resolution, and the PDF says what it is.
    void thePage_isTheDrawingsBox_atEveryResolution_data() {
        QTest::addColumn<int>("resolution");
        for (const int resolution : resolution::Listed)
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
        const item::Equipment equipment{launcher, fakes.printers, silent, {}, 60000, 1 << 30};
        const item::Tools tools{equipment,
                                {equipment.timeLimitMs, equipment.memoryLimitBytes},
                                72,
                                [](int, const platform::Failure&) {}};
        const item::Outcome outcome = testing::ConvertItem(source, {out, false}, tools, files);
        QVERIFY(!outcome.converted);
        QCOMPARE(outcome.reason, QStringLiteral("the PDF Writer did not save %1/a.pdf").arg(out));
    }
};

QTEST_MAIN(TestItem)
#include "tst_item.moc"
