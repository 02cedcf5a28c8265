#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// What the PDF Writer reads of a JPEG to embed it unchanged.
namespace pdfwriter {

struct JpegFacts {
    int width = 0;
    int height = 0;
    int components = 0;        // 1 gray, 3 RGB, 4 CMYK
    bool invertedCmyk = false; // Adobe's CMYK, stored inverted
    // The pixel density its JFIF header gives, in dots per inch across and down; 0 when it
    // gives none (no JFIF header, or one that gives only the pixels' aspect ratio).
    double dpiX = 0;
    double dpiY = 0;
};

// The facts of a baseline or progressive JPEG with 8-bit samples; nothing for anything else.
std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg);

// The pictures of a file that holds one JPEG after another, as Ghostscript writes the pages of a
// drawing, each as its own bytes, in order. Nothing when the file holds no picture or when any
// of them does not decode whole to its end: cut off, or corrupt on the way. A few bytes of
// padding after the last picture are allowed, as some encoders leave them.
std::optional<QList<QByteArray>> WholePictures(const QByteArray& file);

} // namespace pdfwriter
