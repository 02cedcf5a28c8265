#include "platform/printing.h"

#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace platform {

namespace {

using errors::InvalidPicture;
using errors::PrinterError;

// Prints a picture on a printer of the system: stretched over the printable area.
void PrintOnSystemPrinter(const QString& printerName, const QString& jpegPath,
                          const QString& documentName) {
    if (printerName.isEmpty())
        Raise(PrinterError, QStringLiteral("There is no printer to print on."));
    const QImage picture(jpegPath);
    if (picture.isNull())
        Raise(InvalidPicture,
              QStringLiteral("The picture %1 cannot be loaded.").arg(Native(jpegPath)));
    QPrinter printer(QPrinterInfo::printerInfo(printerName));
    printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&printer))
        Raise(PrinterError, QStringLiteral("The printer %1 cannot be used.").arg(printerName));
    painter.drawImage(QRect(QPoint(0, 0), printer.pageRect(QPrinter::DevicePixel).size().toSize()),
                      picture);
    if (!painter.end())
        Raise(PrinterError, QStringLiteral("The printer %1 failed to print.").arg(printerName));
}

} // namespace

SystemPrinters::SystemPrinters(QStringList virtualPrinters_)
    : virtualPrinters(std::move(virtualPrinters_)) {}

QStringList SystemPrinters::installedPrinters() {
    return QPrinterInfo::availablePrinterNames() + virtualPrinters;
}

SystemPrinting::SystemPrinting(QList<VirtualPrinter> virtualPrinters_)
    : virtualPrinters(std::move(virtualPrinters_)) {}

QString SystemPrinting::currentPrinter() {
    if (!current)
        current = QPrinterInfo::defaultPrinter().printerName();
    return *current;
}

void SystemPrinting::setCurrentPrinter(const QString& name) { current = name; }

void SystemPrinting::printJpegStretched(const QString& jpegPath, const QString& documentName) {
    const QString printer = currentPrinter();
    for (const VirtualPrinter& own : std::as_const(virtualPrinters))
        if (own.name == printer) {
            own.print(jpegPath, documentName);
            return;
        }
    PrintOnSystemPrinter(printer, jpegPath, documentName);
}

} // namespace platform
