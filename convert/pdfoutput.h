#pragma once

#include <QString>

class QWidget;

namespace platform {
class Dialogs;
class Printers;
class Printing;
} // namespace platform

// The PDF step: pointing the "Marrowind PDF Writer" at the next output file, choosing it as the
// current printer and printing the rendered page on it; and the start-up check that tells the
// user how to install it.
namespace pdfoutput {

// Writes the registry values "OutputFile" = `outputPath` and "BypassSaveAs" = "1". Raises a
// failure when they cannot be stored: the printer would otherwise save over the last path.
void SetPdfWriterOutput(const QString& outputPath);

// Makes the first installed printer named exactly "Marrowind PDF Writer" the current printer;
// leaves the current printer unchanged when there is none. Answers whether it was found.
bool SelectPdfWriter(platform::Printers& printers, platform::Printing& printing);

// Prints the JPEG on the current printer, stretched over the whole printable page, as a
// one-page document titled `title`.
void PrintJpegToPdf(platform::Printing& printing, const QString& jpegPath,
                    const QString& title = {});

// The message shown when the PDF Writer is missing.
QString PdfWriterMissingText();

// Shows PdfWriterMissingText(), captioned `caption`, when no printer is named exactly
// "Marrowind PDF Writer".
void CheckPdfWriterInstalled(platform::Printers& printers, platform::Dialogs& dialogs,
                             QWidget* owner, const QString& caption);

} // namespace pdfoutput
