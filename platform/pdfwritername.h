#pragma once

#include <QString>

namespace platform {

// The device name of the virtual printer that saves what is printed on it as a PDF.
inline QString PdfWriterName() { return QStringLiteral("Marrowind PDF Writer"); }

} // namespace platform
