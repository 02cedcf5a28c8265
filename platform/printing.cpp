#include "platform/printing.h"

#include "platform/failure.h"
#include "platform/pdfwriter.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace platform {

namespace {

using errors::InvalidPicture;
using errors::PrinterError;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// Prints a picture on a printer of the system: stretched over the printable area.
void PrintOnSystemPrinter(const QString& printerName, const QString& jpegPath) {
    if (printerName.isEmpty())
        Raise(PrinterError, QStringLiteral("There is no printer to print on."));
    const QImage picture(jpegPath);
    if (picture.isNull())
        Raise(InvalidPicture,
              QStringLiteral("The picture %1 cannot be loaded.").arg(Native(jpegPath)));
    QPrinter printer(QPrinterInfo::printerInfo(printerName));
    QPainter painter;
    if (!painter.begin(&printer))
        Raise(PrinterError, QStringLiteral("The printer %1 cannot be used.").arg(printerName));
    painter.drawImage(QRect(QPoint(0, 0), printer.pageRect(QPrinter::DevicePixel).size().toSize()),
                      picture);
    if (!painter.end())
        Raise(PrinterError, QStringLiteral("The printer %1 failed to print.").arg(printerName));
}

} // namespace

QStringList SystemPrinters::installedPrinters() {
    // Our own PDF Writer is always installed, next to the system's printers.
    QStringList names = QPrinterInfo::availablePrinterNames();
    names << PdfWriterName();
    return names;
}

SystemPrinting::SystemPrinting(Dialogs& dialogs_) : dialogs(dialogs_) {}

QString SystemPrinting::currentPrinter() {
    if (!current)
        current = QPrinterInfo::defaultPrinter().printerName();
    return *current;
}

void SystemPrinting::setCurrentPrinter(const QString& name) { current = name; }

void SystemPrinting::printJpegStretched(const QString& jpegPath) {
    const QString printer = currentPrinter();
    if (printer == PdfWriterName())
        PrintOnPdfWriter(dialogs, jpegPath);
    else
        PrintOnSystemPrinter(printer, jpegPath);
}

} // namespace platform
