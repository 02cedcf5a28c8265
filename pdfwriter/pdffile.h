#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSizeF>
#include <QString>

#include "pdfwriter/jpeg.h"

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
    QByteArray jpeg; // embedded unchanged
    JpegFacts facts;
    QSizeF points;
};

// A PDF of `pages`, in their order.
QByteArray PdfOfPages(const QList<PdfPage>& pages, const PdfOrigin& origin);

} // namespace pdfwriter
