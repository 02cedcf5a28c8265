#include "platform/printers.h"

#include "platform/pdfwritername.h"

#include <QPrinterInfo>

namespace platform {

QStringList SystemPrinters::installedPrinters() {
    // Our own PDF Writer is always installed, next to the system's printers.
    QStringList names = QPrinterInfo::availablePrinterNames();
    names << PdfWriterName();
    return names;
}

} // namespace platform
