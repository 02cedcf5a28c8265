#pragma once

#include <QByteArray>
#include <QString>

// What a source file is, told from its first bytes, so that a file that is no PostScript
// drawing is named for what it is rather than by what Ghostscript says of it.
namespace filekind {

enum class Kind {
    PostScript, // starts as a PostScript drawing does ("%!", or a binary preview header)
    Pdf,        // a PDF document, which Ghostscript reads too
    Empty,
    Png,
    Jpeg,
    Gif,
    Tiff,
    Bmp,
    Gzip,
    Bzip2,
    Xz,
    Zip,
    Text,  // plain text without a PostScript header
    Other, // anything else: Ghostscript is left to judge it
};

// How many of a file's first bytes tell its kind.
constexpr int HeadBytes = 4096;

// The kind of a file of `size` bytes whose first bytes (up to HeadBytes) are `head`.
Kind Of(const QByteArray& head, qint64 size);

// The kind of the file at `path`; Other when it cannot be read.
Kind OfFile(const QString& path);

// Whether Ghostscript could never make a picture of a file of this kind, so that it need not
// be given the file at all.
bool NeverADrawing(Kind kind);

// Why a file of a kind that is no drawing has no PDF: "it is not a PostScript drawing: it is a
// PNG picture". Empty for PostScript, a PDF and Other.
QString NotADrawing(Kind kind);

} // namespace filekind
