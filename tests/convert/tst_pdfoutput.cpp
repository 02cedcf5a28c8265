// The PDF step of an item: the PDF Writer's registry values, its selection, and the start-up
// check that tells how to install it.
#include "common/pdfwriterkeys.h"
#include "convert/pdfoutput.h"
#include "fakes.h"
#include "platform/registry.h"
#include "scratchhome.h"

#include <QFile>
#include <QTest>

using namespace pdfoutput;

class TestPdfOutput : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    std::unique_ptr<testing::FakeServices> fakes;

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        fakes = std::make_unique<testing::FakeServices>();
    }
    void cleanup() {
        fakes.reset();
        scratch.reset();
    }

    void registryValues_roundTrip_andTheSecondItemWins() {
        const QString odd = QStringLiteral("/out/a, b=c; \"d\" [e] ü/x.pdf");
        SetPdfWriterOutput(odd);
        QCOMPARE(
            platform::ReadUserRegistryString(pdfwriterkeys::Key(), QStringLiteral("OutputFile")),
            odd);
        QCOMPARE(
            platform::ReadUserRegistryString(pdfwriterkeys::Key(), QStringLiteral("BypassSaveAs")),
            QStringLiteral("1"));
        QVERIFY(QFile::exists(scratch->configFolder() +
                              QStringLiteral("/Software/Marrowind PDF Writer.ini")));
        SetPdfWriterOutput(QStringLiteral("/out/first.pdf"));
        SetPdfWriterOutput(QStringLiteral("/out/second.pdf"));
        QCOMPARE(
            platform::ReadUserRegistryString(pdfwriterkeys::Key(), QStringLiteral("OutputFile")),
            QStringLiteral("/out/second.pdf"));
    }

    void printerInOtherCase_isNotThePdfWriter() {
        fakes->printers.names = {QStringLiteral("Office Laser"),
                                 QStringLiteral("marrowind pdf writer"),
                                 QStringLiteral("Marrowind PDF Writer 2")};
        fakes->printing.setCurrentPrinter(QStringLiteral("Office Laser"));
        QVERIFY(!SelectPdfWriter(fakes->printers, fakes->printing));
        QCOMPARE(fakes->printing.currentPrinter(), QStringLiteral("Office Laser"));

        CheckPdfWriterInstalled(fakes->printers, fakes->dialogs, nullptr,
                                QStringLiteral("Pellarine"));
        QCOMPARE(fakes->dialogs.shown.size(), 1);
        const testing::FakeDialogs::Shown& box = fakes->dialogs.shown[0];
        QVERIFY(box.text.startsWith(QStringLiteral("Marrowind PDF Writer is not installed.")));
        QCOMPARE(box.caption, QStringLiteral("Pellarine"));
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QCOMPARE(box.icon, platform::Icon::None);
    }

    void installedWriter_isSelected_andStartUpShowsNothing() {
        fakes->printing.setCurrentPrinter(QStringLiteral("Office Laser"));
        QVERIFY(SelectPdfWriter(fakes->printers, fakes->printing));
        QCOMPARE(fakes->printing.currentPrinter(), QStringLiteral("Marrowind PDF Writer"));
        CheckPdfWriterInstalled(fakes->printers, fakes->dialogs, nullptr,
                                QStringLiteral("Pellarine"));
        QVERIFY(fakes->dialogs.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPdfOutput)
#include "tst_pdfoutput.moc"
