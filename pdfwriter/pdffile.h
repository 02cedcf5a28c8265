#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

#include "pdfwriter/jpeg.h"

// The PDF file the PDF Writer makes of a picture.
namespace pdfwriter {

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

} // namespace pdfwriter
