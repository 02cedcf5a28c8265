#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>
#include <optional>

namespace platform {

class Dialogs;

// The registry values that steer the PDF Writer: where it saves the next job, and "1" when it
// must save there without asking.
inline QString PdfWriterKey() { return QStringLiteral("Software\\Marrowind PDF Writer"); }
inline QString OutputFileValue() { return QStringLiteral("OutputFile"); }
inline QString BypassSaveAsValue() { return QStringLiteral("BypassSaveAs"); }
// The PDF Writer's own setting of its paper: "A4" or "Letter" for a fixed paper the picture is
// stretched over; anything else, or nothing, for a page the size of the picture.
inline QString PaperValue() { return QStringLiteral("Paper"); }

// The application's current printer, and the one drawing job the conversion prints on it.
class Printing {
public:
    virtual ~Printing() = default;

    // The printer that drawing goes to; at first the system's default printer (may be empty).
    virtual QString currentPrinter() = 0;
    virtual void setCurrentPrinter(const QString& name) = 0;

    // Loads the JPEG, draws it stretched over the whole printable area of the current
    // printer's page and ends the document, which submits the one-page job. Raises a failure
    // when the picture cannot be loaded or the printer fails.
    virtual void printJpegStretched(const QString& jpegPath) = 0;
};

// Printing on the system's printers and on our own PDF Writer, which asks through `dialogs`
// when its registry values do not name a file to save to without asking.
class SystemPrinting final : public Printing {
public:
    explicit SystemPrinting(Dialogs& dialogs);

    QString currentPrinter() override;
    void setCurrentPrinter(const QString& name) override;
    void printJpegStretched(const QString& jpegPath) override;

private:
    Dialogs& dialogs;
    std::optional<QString> current;
};

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
