#include "common/pdfwriterkeys.h"
#include "convert/pdfoutput.h"
#include "fakes.h"
#include "pdfprobe.h"
#include "pdfwriter/pdffile.h"
#include "pdfwriter/writer.h"
#include "platform/failure.h"
#include "platform/printing.h"
#include "platform/registry.h"
#include "scratchhome.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace pdfoutput;

namespace {

QByteArray Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels); // warnings about the file show too
    process.start(program, arguments);
    process.waitForFinished(20000);
    return process.readAllStandardOutput();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A green picture with a red block in its top-left and a blue one in its bottom-right corner,
// its JFIF header giving no density (Qt writes the screen's).
QString WriteJpeg(const QString& path, QSize size, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 5, size.height() / 5, Qt::red);
    painter.fillRect(size.width() * 4 / 5, size.height() * 4 / 5, size.width(), size.height(),
                     Qt::blue);
    painter.end();
    image.convertTo(format);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "JPEG", 90) ||
        jpeg.mid(6, 5) != QByteArray("JFIF", 5))
        qFatal("cannot write the test picture");
    jpeg.replace(13, 5, QByteArray("\0\0\1\0\1", 5)); // no unit: an aspect ratio of 1:1
    testing::WriteFile(path, jpeg);
    return path;
}

QByteArray Segment(int marker, const QByteArray& payload) {
    const int length = int(payload.size()) + 2;
    return QByteArray(1, '\xFF') + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

QByteArray Sof(int marker, int bits, int height, int width, int components) {
    QByteArray p;
    p += char(bits);
    p += char(height >> 8);
    p += char(height & 0xFF);
    p += char(width >> 8);
    p += char(width & 0xFF);
    p += char(components);
    for (int c = 0; c < components; ++c)
        p += QByteArray("\x01\x11\x00", 3);
    return Segment(marker, p);
}

const QByteArray Soi("\xFF\xD8", 2);
const QByteArray Sos = Segment(0xDA, QByteArray(6, '\0'));

} // namespace

class TestPdfWriter : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    std::unique_ptr<testing::FakeServices> fakes;

    // The item sequence of the run: output set, writer selected, page printed.
    void printItem(const QString& jpeg, const QString& output) {
        SetPdfWriterOutput(output);
        QVERIFY(SelectPdfWriter(fakes->printers, fakes->printing));
        PrintJpegToPdf(fakes->printing, jpeg);
    }

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        fakes = std::make_unique<testing::FakeServices>();
    }
    void cleanup() {
        fakes.reset();
        scratch.reset();
    }

    // By default the page is the picture, one point per pixel; a fixed paper stretches it.
    void jpeg_becomesValidPdf_onTheWritersPaper_unresampled_data() {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QSize>("page");
        QTest::newRow("the picture's own size") << QString() << QSize(300, 120);
        QTest::newRow("A4") << QStringLiteral("A4") << QSize(595, 842);
        QTest::newRow("Letter") << QStringLiteral("letter") << QSize(612, 792);
    }
    void jpeg_becomesValidPdf_onTheWritersPaper_unresampled() {
        QFETCH(QString, paper);
        QFETCH(QSize, page);
        if (!paper.isEmpty())
            platform::SetUserRegistryString(pdfwriterkeys::Key(), pdfwriter::PaperValue(), paper);
        const QString jpeg =
            WriteJpeg(scratch->path() + QStringLiteral("/current.jpg"), {300, 120});
        const QString output =
            scratch->makeFolder(QStringLiteral("out folder")) + QStringLiteral("/plan.pdf");
        printItem(jpeg, output);
        QCOMPARE(fakes->dialogs.shown.size(), 0);

        const QByteArray pdf = ReadAll(output);
        QVERIFY(pdf.contains(ReadAll(jpeg))); // the JPEG's bytes, unchanged
        const QByteArray info = Run(QStringLiteral("pdfinfo"), {output}).simplified();
        QVERIFY2(info.contains("Pages: 1") && !info.contains("rror") && !info.contains("arning"),
                 info.constData());
        QVERIFY2(info.contains(QStringLiteral("Page size: %1 x %2 pts")
                                   .arg(page.width())
                                   .arg(page.height())
                                   .toLatin1()),
                 info.constData());
        QVERIFY2(info.contains("Producer: Pellarine 1.") && info.contains("CreationDate:") &&
                     info.contains("Creator:"),
                 info.constData());
        const QList<QByteArray> images =
            Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), output}).split('\n');
        QVERIFY(images.size() >= 3);
        const QList<QByteArray> row = images[2].simplified().split(' ');
        QCOMPARE(row.value(3), QByteArray("300")); // width
        QCOMPARE(row.value(4), QByteArray("120")); // height
        QCOMPARE(row.value(5), QByteArray("rgb"));
        QCOMPARE(row.value(8), QByteArray("jpeg"));
        if (paper.isEmpty()) // one point per pixel: 72 pixels per inch both ways
            QCOMPARE(row.value(12) + row.value(13), QByteArray("7272"));

        // Rendered, the picture's corners are the page's corners.
        const QString prefix = scratch->path() + QStringLiteral("/render");
        Run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("18"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), output, prefix});
        const QImage rendered(prefix + QStringLiteral(".png"));
        QVERIFY(!rendered.isNull());
        const QColor topLeft = rendered.pixelColor(1, 1);
        const QColor bottomRight = rendered.pixelColor(rendered.width() - 2, rendered.height() - 2);
        QVERIFY2(topLeft.red() > 200 && topLeft.green() < 60, qPrintable(topLeft.name()));
        QVERIFY2(bottomRight.blue() > 200 && bottomRight.green() < 60,
                 qPrintable(bottomRight.name()));
    }

    void existingPdf_isReplacedWhole_andKeptWhenPrintingFails() {
        const QString folder = scratch->makeFolder(QStringLiteral("out"));
        const QString output = folder + QStringLiteral("/plan.pdf");
        testing::WriteFile(output, "old pdf");
        const QString broken = scratch->path() + QStringLiteral("/broken.jpg");
        const QByteArray whole = ReadAll(WriteJpeg(broken, {40, 20}));
        SetPdfWriterOutput(output);
        fakes->printing.setCurrentPrinter(QStringLiteral("Marrowind PDF Writer"));
        // Neither something else nor a picture cut off or corrupt on the way is printed, also
        // when it still ends with its end marker, or when only a later page of the file is bad
        // or something else follows the picture.
        QByteArray scrambled = whole;
        for (qsizetype at = whole.size() / 2; at < whole.size() / 2 + 40; ++at)
            scrambled[at] = char(at * 37);
        const QByteArray cut = whole.left(whole.size() - 40);
        for (const QByteArray& bytes : {QByteArray("not a jpeg"), cut, cut + "\xFF\xD9", scrambled,
                                        whole + cut, whole + QByteArray(40, 'x')}) {
            testing::WriteFile(broken, bytes);
            QVERIFY_THROWS_EXCEPTION(platform::Failure, PrintJpegToPdf(fakes->printing, broken));
            QCOMPARE(ReadAll(output), QByteArray("old pdf"));
        }

        const QString ok = WriteJpeg(scratch->path() + QStringLiteral("/ok.jpg"), {40, 20});
        PrintJpegToPdf(fakes->printing, ok);
        QVERIFY(ReadAll(output).startsWith("%PDF-1.4"));
        // A picture found whole once and written since is checked again.
        QFile rewritten(ok);
        QVERIFY(rewritten.open(QIODevice::ReadWrite) && rewritten.write(scrambled) > 0);
        rewritten.setFileTime(QDateTime::currentDateTime().addSecs(5),
                              QFileDevice::FileModificationTime);
        rewritten.close();
        QVERIFY_THROWS_EXCEPTION(platform::Failure, PrintJpegToPdf(fakes->printing, ok));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("plan.pdf")});
    }

    // Ghostscript writes the pages of a drawing one picture after another into one file.
    void picturesOneAfterAnother_becomePagesInOrder_eachOfItsOwnSize() {
        QByteArray pictures;
        const QList<QSize> sizes{{30, 20}, {20, 40}, {50, 10}};
        for (const QSize& size : sizes)
            pictures += ReadAll(WriteJpeg(scratch->path() + QStringLiteral("/p.jpg"), size));
        const QString jpeg = scratch->path() + QStringLiteral("/pages.jpg");
        testing::WriteFile(jpeg, pictures);
        // The longest name the file system allows is written too.
        const QString output = scratch->path() + QLatin1Char('/') + QString(251, QLatin1Char('n')) +
                               QStringLiteral(".pdf");
        pdfwriter::SaveJpegAsPdf(jpeg, output);
        QCOMPARE(testing::PdfPages(output), 3);
        const QString info =
            QString::fromLatin1(
                Run(QStringLiteral("pdfinfo"), {QStringLiteral("-l"), QStringLiteral("3"), output}))
                .simplified();
        for (int page = 0; page < sizes.size(); ++page)
            QVERIFY2(info.contains(QStringLiteral("Page %1 size: %2 x %3 pts")
                                       .arg(page + 1)
                                       .arg(sizes[page].width())
                                       .arg(sizes[page].height())),
                     qPrintable(info));
        QCOMPARE(
            QDir(scratch->path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden),
            QStringList());
    }

    void linkAtTheTarget_isReplaced_itsTargetUntouched() {
        const QString folder = scratch->makeFolder(QStringLiteral("shared"));
        const QString notes = scratch->path() + QStringLiteral("/notes.txt");
        testing::WriteFile(notes, "my notes");
        QVERIFY(QFile::link(notes, folder + QStringLiteral("/A-1.pdf")));
        SetPdfWriterOutput(folder + QStringLiteral("/A-1.pdf"));
        fakes->printing.setCurrentPrinter(QStringLiteral("Marrowind PDF Writer"));
        PrintJpegToPdf(fakes->printing,
                       WriteJpeg(scratch->path() + QStringLiteral("/ok.jpg"), {40, 20}));
        QCOMPARE(ReadAll(notes), QByteArray("my notes"));
        QVERIFY(!QFileInfo(folder + QStringLiteral("/A-1.pdf")).isSymLink());
        QVERIFY(ReadAll(folder + QStringLiteral("/A-1.pdf")).startsWith("%PDF-1.4"));
    }

    void unwritableTarget_fails_andLeavesNoFile_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing folder") << "no such folder/plan.pdf";
        QTest::newRow("a folder in the way") << "out/taken.pdf";
    }
    void unwritableTarget_fails_andLeavesNoFile() {
        QFETCH(QString, relative);
        const QString folder = scratch->makeFolder(QStringLiteral("out"));
        scratch->makeFolder(QStringLiteral("out/taken.pdf"));
        const QString jpeg = WriteJpeg(scratch->path() + QStringLiteral("/a.jpg"), {10, 10});
        try {
            pdfwriter::SaveJpegAsPdf(jpeg, scratch->path() + QLatin1Char('/') + relative);
            QFAIL("no failure raised");
        } catch (const platform::Failure& failure) {
            QVERIFY2(failure.description.contains(QStringLiteral(".pdf")),
                     qPrintable(failure.description));
        }
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("taken.pdf")});
    }

    void withoutBypass_theWriterAsksForAName() {
        const QString jpeg = WriteJpeg(scratch->path() + QStringLiteral("/a.jpg"), {10, 10});
        const QString output = scratch->path() + QStringLiteral("/set.pdf");
        const QString chosen = scratch->path() + QStringLiteral("/chosen.pdf");
        SetPdfWriterOutput(output);
        platform::SetUserRegistryString(pdfwriterkeys::Key(), QStringLiteral("BypassSaveAs"),
                                        QStringLiteral("0"));
        fakes->dialogs.saveNames.enqueue(chosen);
        fakes->printing.setCurrentPrinter(QStringLiteral("Marrowind PDF Writer"));
        PrintJpegToPdf(fakes->printing, jpeg);
        QCOMPARE(fakes->dialogs.count(QStringLiteral("save")), 1);
        QCOMPARE(fakes->dialogs.shown[0].caption, output); // proposed name
        QVERIFY(QFile::exists(chosen));
        QVERIFY(!QFile::exists(output));

        PrintJpegToPdf(fakes->printing, jpeg); // cancelled this time
        QCOMPARE(fakes->dialogs.count(QStringLiteral("save")), 2);
        QVERIFY(!QFile::exists(output));
    }

    // A picture file over the largest the writer prints fails before any of it is read; one of
    // several pieces is copied in whole and unchanged.
    void aHugePicture_isRefused_aLargeOneCopiedWhole_data() {
        QTest::addColumn<bool>("huge");
        QTest::newRow("over the largest") << true;
        QTest::newRow("of several pieces") << false;
    }
    void aHugePicture_isRefused_aLargeOneCopiedWhole() {
        QFETCH(bool, huge);
        QImage noise(1600, 1600, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, random.generate());
        const QString jpeg = scratch->path() + QStringLiteral("/big.jpg");
        QVERIFY(noise.save(jpeg, "JPEG", 100));
        const QByteArray bytes = ReadAll(jpeg);
        QVERIFY(bytes.size() > 2 << 20);
        if (huge) // a hole in the file, costing no disk
            QVERIFY(QFile::resize(jpeg, pdfwriterkeys::LargestPictureBytes + 1));
        const QString output = scratch->makeFolder(QStringLiteral("out")) + "/big.pdf";
        try {
            pdfwriter::SaveJpegAsPdf(jpeg, output);
            QVERIFY(!huge);
            QVERIFY(ReadAll(output).contains(bytes));
            QCOMPARE(testing::PdfPages(output), 1);
        } catch (const platform::Failure& failure) {
            QVERIFY2(huge && failure.description.contains(QStringLiteral(
                                 "is larger than 2048 MB, the most the PDF Writer prints")),
                     qPrintable(failure.description));
            QVERIFY(!QFile::exists(output));
        }
    }

    void jpegFacts_data() {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("components");
        QTest::addColumn<bool>("inverted");
        const QByteArray adobe = Segment(0xEE, QByteArray("Adobe\x00\x64\x00\x00\x00\x00\x02", 12));
        QTest::newRow("baseline rgb")
            << Soi + Sof(0xC0, 8, 20, 30, 3) + Sos << true << 30 << 20 << 3 << false;
        QTest::newRow("progressive gray")
            << Soi + Sof(0xC2, 8, 7, 9, 1) + Sos << true << 9 << 7 << 1 << false;
        QTest::newRow("adobe cmyk")
            << Soi + adobe + Sof(0xC0, 8, 5, 6, 4) + Sos << true << 6 << 5 << 4 << true;
        QTest::newRow("plain cmyk")
            << Soi + Sof(0xC1, 8, 5, 6, 4) + Sos << true << 6 << 5 << 4 << false;
        QTest::newRow("fill bytes") << Soi + QByteArray("\xFF\xFF", 2) + Sof(0xC0, 8, 2, 2, 3) + Sos
                                    << true << 2 << 2 << 3 << false;
        QTest::newRow("12-bit") << Soi + Sof(0xC1, 12, 5, 6, 3) + Sos << false << 0 << 0 << 0
                                << false;
        QTest::newRow("lossless") << Soi + Sof(0xC3, 8, 5, 6, 3) + Sos << false << 0 << 0 << 0
                                  << false;
        QTest::newRow("arithmetic")
            << Soi + Sof(0xC9, 8, 5, 6, 3) + Sos << false << 0 << 0 << 0 << false;
        QTest::newRow("no frame") << Soi + Sos << false << 0 << 0 << 0 << false;
        QTest::newRow("zero height")
            << Soi + Sof(0xC0, 8, 0, 6, 3) + Sos << false << 0 << 0 << 0 << false;
        QTest::newRow("truncated")
            << Soi + Sof(0xC0, 8, 5, 6, 3).left(7) << false << 0 << 0 << 0 << false;
        QTest::newRow("not jpeg") << QByteArray("%PDF-1.4") << false << 0 << 0 << 0 << false;
    }
    void jpegFacts() {
        QFETCH(QByteArray, jpeg);
        QFETCH(bool, valid);
        const std::optional<jpeg::JpegFacts> facts = jpeg::ReadJpegFacts(jpeg);
        QCOMPARE(facts.has_value(), valid);
        if (!valid)
            return;
        QTEST(facts->width, "width");
        QTEST(facts->height, "height");
        QTEST(facts->components, "components");
        QTEST(facts->invertedCmyk, "inverted");
    }

    // Parentheses and backslashes in the document's notes are escaped, other letters kept.
    void documentNotes_readBackExactly() {
        const QString jpeg = WriteJpeg(scratch->path() + QStringLiteral("/n.jpg"), {8, 8});
        const QByteArray bytes = ReadAll(jpeg);
        const pdfwriter::PdfOrigin origin{QStringLiteral("Plän (2).eps"),
                                          QStringLiteral("a (b) \\ c) d"), QStringLiteral("Drück"),
                                          QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC)};
        const QString output = scratch->path() + QStringLiteral("/n.pdf");
        QByteArray pdf;
        pdfwriter::WritePdf(
            {{{0, bytes.size()}, *jpeg::ReadJpegFacts(bytes), {8, 8}}}, origin,
            [&](QByteArrayView part) { pdf += part; },
            [&](const jpeg::PictureSpan&, const platform::WriteBytes& out) { out(bytes); });
        testing::WriteFile(output, pdf);
        const QString info = QString::fromUtf8(
            Run(QStringLiteral("pdfinfo"), {QStringLiteral("-isodates"), output}));
        QVERIFY2(info.contains(QStringLiteral("Creator:         a (b) \\ c) d\n")),
                 qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Producer:        Drück\n")), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Title:           Plän (2).eps\n")),
                 qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("CreationDate:    2026-01-02T03:04:05Z")),
                 qPrintable(info));
    }

    void grayJpeg_isEmbeddedAsGray() {
        const QString jpeg = WriteJpeg(scratch->path() + QStringLiteral("/g.jpg"), {64, 32},
                                       QImage::Format_Grayscale8);
        const QString output = scratch->path() + QStringLiteral("/g.pdf");
        pdfwriter::SaveJpegAsPdf(jpeg, output);
        const QList<QByteArray> images =
            Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), output}).split('\n');
        const QList<QByteArray> row = images.value(2).simplified().split(' ');
        QCOMPARE(row.value(3), QByteArray("64"));
        QCOMPARE(row.value(4), QByteArray("32"));
        QCOMPARE(row.value(5), QByteArray("gray"));
    }
};

QTEST_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"
