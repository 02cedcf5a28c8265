#pragma once

#include <QByteArray>
#include <optional>

// What the PDF Writer reads of a JPEG to embed it unchanged.
namespace pdfwriter {

struct JpegFacts {
    int width = 0;
    int height = 0;
    int components = 0;        // 1 gray, 3 RGB, 4 CMYK
    bool invertedCmyk = false; // Adobe's CMYK, stored inverted
};

// The facts of a baseline or progressive JPEG with 8-bit samples; nothing for anything else.
std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg);

// True when the JPEG ends with its end-of-image marker: a picture whose writing was cut off
// does not.
bool JpegIsComplete(const QByteArray& jpeg);

} // namespace pdfwriter
