#include "convert/pdfoutput.h"

#include "common/pdfwriterkeys.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/printing.h"
#include "platform/registry.h"

#include <QDir>
#include <QStringList>

namespace pdfoutput {

namespace {

bool IsInstalled(platform::Printers& printers) {
    return printers.installedPrinters().contains(pdfwriterkeys::PrinterName(), Qt::CaseSensitive);
}

} // namespace

void SetPdfWriterOutput(const QString& outputPath) {
    try {
        platform::SetUserRegistryString(pdfwriterkeys::Key(), pdfwriterkeys::OutputFileValue(),
                                        outputPath);
        platform::SetUserRegistryString(pdfwriterkeys::Key(), pdfwriterkeys::BypassSaveAsValue(),
                                        QStringLiteral("1"));
    } catch (const platform::Failure& failure) {
        const QString store = platform::UserRegistryFile(pdfwriterkeys::Key());
        platform::RaiseAbout(store, failure.number,
                             QStringLiteral("The PDF Writer's settings cannot be saved in %1: %2")
                                 .arg(QDir::toNativeSeparators(store), failure.description));
    }
}

bool SelectPdfWriter(platform::Printers& printers, platform::Printing& printing) {
    if (!IsInstalled(printers))
        return false;
    printing.setCurrentPrinter(pdfwriterkeys::PrinterName());
    return true;
}

void PrintJpegToPdf(platform::Printing& printing, const QString& jpegPath, const QString& title) {
    printing.printJpegStretched(jpegPath, title);
}

QString PdfWriterMissingText() {
    const QString name = pdfwriterkeys::PrinterName();
    return QStringList{
        name + QStringLiteral(" is not installed. Please follow these instructions:"),
        QString(),
        QStringLiteral("1) Go to Control Panel -> Printers and Faxes to add a local printer."),
        QStringLiteral("2) Choose ''MPW2: (") + name +
            QStringLiteral(")'' on Select a Printer Port dialog box, click Next."),
        QStringLiteral("3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next."),
        QStringLiteral("4) Enter ") + name +
            QStringLiteral(" as Printer name, click Next -> Finish."),
    }
        .join(QStringLiteral("\r\n"));
}

void CheckPdfWriterInstalled(platform::Printers& printers, platform::Dialogs& dialogs,
                             QWidget* owner, const QString& caption) {
    if (!IsInstalled(printers))
        dialogs.messageBox(owner, PdfWriterMissingText(), caption, platform::Buttons::Ok,
                           platform::Icon::None);
}

} // namespace pdfoutput
