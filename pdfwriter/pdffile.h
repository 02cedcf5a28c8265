#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSizeF>
#include <QString>

#include "common/jpeg.h"
#include "platform/filewrite.h"

#include <functional>

// The PDF file the PDF Writer makes of a picture.
namespace pdfwriter {

// What a PDF printer notes in the document about where it came from.
struct PdfOrigin {
    QString title;    // the document's name (none when empty)
    QString creator;  // the program that printed
    QString producer; // the printer that wrote the PDF
    QDateTime created;
};

// One page of the PDF: its size in points, covered by its JPEG stretched in width and height.
struct PdfPage {
    jpeg::PictureSpan picture; // where its JPEG lies in the picture file; embedded unchanged
    jpeg::JpegFacts facts;
    QSizeF points;
};

// Puts the bytes of a picture into the PDF through `out`, in pieces.
using PictureCopy =
    std::function<void(const jpeg::PictureSpan& picture, const platform::WriteBytes& out)>;

// Writes a PDF of `pages`, in their order, through `out`, each picture brought in by `copy`: the
// PDF is never whole in memory, nor is any picture.
void WritePdf(const QList<PdfPage>& pages, const PdfOrigin& origin, const platform::WriteBytes& out,
              const PictureCopy& copy);

} // namespace pdfwriter
