#pragma once

#include <QString>

// What the program and the "Marrowind PDF Writer" agree on: the printer's device name, the
// two values of the user's registry that point it at the next job's file, and the largest
// picture it prints.
namespace pdfwriterkeys {

// The device name of the virtual printer, compared exactly.
inline QString PrinterName() { return QStringLiteral("Marrowind PDF Writer"); }

// The registry key of the values, in the current user's hive.
inline QString Key() { return QStringLiteral("Software\\Marrowind PDF Writer"); }

// Where the printer saves the next job, and "1" when it must save there without asking.
inline QString OutputFileValue() { return QStringLiteral("OutputFile"); }
inline QString BypassSaveAsValue() { return QStringLiteral("BypassSaveAs"); }

// The largest picture file the PDF Writer prints: a larger one fails with that reason, and no
// picture the program has made may grow past it.
constexpr qint64 LargestPictureBytes = qint64(2) << 30;

} // namespace pdfwriterkeys
