#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

class QFile;

// What the PDF Writer reads of a JPEG to embed it unchanged.
namespace jpeg {

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

// Where one picture lies in a picture file.
struct PictureSpan {
    qint64 offset = 0;
    qint64 length = 0;
};

// The pictures of the open file `file` that holds one JPEG after another, as Ghostscript writes
// the pages of a drawing, in order. Nothing when the file holds no picture or when any of them
// does not decode whole to its end: cut off, or corrupt on the way. A few bytes of padding after
// the last picture are allowed, as some encoders leave them. The file is read in pieces, never
// whole, and a picture that would need more than a little memory to decode is refused. A file
// found whole before and not written since is not read through again.
std::optional<QList<PictureSpan>> WholePictures(QFile& file);

} // namespace jpeg
