#pragma once

#include <QSizeF>
#include <QString>

#include "common/jpeg.h"

namespace platform {
class Dialogs;
struct VirtualPrinter;
} // namespace platform

// Our own "Marrowind PDF Writer": the virtual printer that saves what is printed on it as a
// PDF, steered by two values of the user's registry (see common/pdfwriterkeys.h).
namespace pdfwriter {

// The PDF Writer's own setting of its paper: "A4" or "Letter" for a fixed paper the picture is
// stretched over; anything else, or nothing, for a page the size of the picture.
inline QString PaperValue() { return QStringLiteral("Paper"); }

// The PDF Writer's paper for a picture, in points: the fixed paper of its "Paper" setting, or
// by default the picture itself at its own density (pixels x 72 / dots per inch), so the page
// is the drawing's size and shape whatever resolution it was drawn at; one point per pixel for
// a picture that gives no density.
QSizeF PaperPoints(const jpeg::JpegFacts& facts);

// The PDF Writer's job: the JPEG file at `jpegPath` as a PDF at `target`, one page for each
// picture the file holds one after another (as Ghostscript writes a drawing of many pages), each
// page on the paper of its own picture, the document titled `title`. The picture is read and the
// PDF written in pieces, so neither is ever whole in memory. The PDF is written into the target's
// folder, opened once (see platform::OpenFolder), under a temporary name and renamed into place,
// so the target never holds a half-written file, an older file there stays until the new one is
// complete, and a link at the target is replaced rather than followed. It is no more readable
// than the picture. Raises a failure (and leaves nothing behind) when the JPEG file is
// unreadable, larger than pdfwriterkeys::LargestPictureBytes, or any picture in it does not
// decode whole, or the target cannot be written.
void SaveJpegAsPdf(const QString& jpegPath, const QString& target, const QString& title = {});

// The PDF Writer's handling of a job named `title`: to "OutputFile" without asking when
// "BypassSaveAs" is "1", otherwise to the file the user names in a save dialog (nothing when
// cancelled).
void PrintOnPdfWriter(platform::Dialogs& dialogs, const QString& jpegPath, const QString& title);

// The PDF Writer as a printer of this machine, asking through `dialogs` when it must ask.
platform::VirtualPrinter AsPrinter(platform::Dialogs& dialogs);

} // namespace pdfwriter
