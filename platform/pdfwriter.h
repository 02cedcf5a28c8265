#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>
#include <optional>

// Our own "Marrowind PDF Writer": the virtual printer that saves what is printed on it as a
// PDF, steered by two values of the user's registry.
namespace platform {

class Dialogs;

// The device name of the virtual printer.
inline QString PdfWriterName() { return QStringLiteral("Marrowind PDF Writer"); }

// The registry values that steer the PDF Writer: where it saves the next job, and "1" when it
// must save there without asking.
inline QString PdfWriterKey() { return QStringLiteral("Software\\Marrowind PDF Writer"); }
inline QString OutputFileValue() { return QStringLiteral("OutputFile"); }
inline QString BypassSaveAsValue() { return QStringLiteral("BypassSaveAs"); }
// The PDF Writer's own setting of its paper: "A4" or "Letter" for a fixed paper the picture is
// stretched over; anything else, or nothing, for a page the size of the picture.
inline QString PaperValue() { return QStringLiteral("Paper"); }

// What the PDF Writer needs to know of a JPEG to embed it unchanged.
struct JpegFacts {
    int width = 0;
    int height = 0;
    int components = 0;        // 1 gray, 3 RGB, 4 CMYK
    bool invertedCmyk = false; // Adobe's CMYK, stored inverted
};
std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg);

// True when the JPEG ends with its end-of-image marker: a picture whose writing was cut off
// does not.
bool JpegIsComplete(const QByteArray& jpeg);

// The PDF Writer's paper for a picture, in points: the fixed paper of its "Paper" setting, or
// by default the picture itself at one point per pixel, so the page keeps the drawing's shape.
QSize PdfWriterPaperPoints(const JpegFacts& facts);

// What a PDF printer notes in the document about where it came from.
struct PdfOrigin {
    QString creator;  // the program that printed
    QString producer; // the printer that wrote the PDF
    QDateTime created;
};

// A one-page PDF whose page (`pagePoints`, in points) is covered by the JPEG, stretched in
// width and height; the JPEG's bytes are embedded unchanged.
QByteArray OnePagePdf(const QByteArray& jpeg, const JpegFacts& facts, QSize pagePoints,
                      const PdfOrigin& origin);

// The PDF Writer's job: the JPEG at `jpegPath` as a one-page PDF at `target`. The PDF is written
// to a temporary file beside the target and renamed into place, so the target never holds a
// half-written file, an older file there stays until the new one is complete, and a link at the
// target is replaced rather than followed. Raises a failure (and leaves nothing behind) when the
// JPEG is unreadable or incomplete or the target cannot be written.
void SaveJpegAsPdf(const QString& jpegPath, const QString& target);

// The PDF Writer's handling of a job: to "OutputFile" without asking when "BypassSaveAs" is "1",
// otherwise to the file the user names in a save dialog (nothing when cancelled).
void PrintOnPdfWriter(Dialogs& dialogs, const QString& jpegPath);

} // namespace platform
