#include "rasterise/filekind.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace filekind {

namespace {

struct Signature {
    Kind kind;
    QByteArrayView start;
};

// The first bytes that mark each kind of file Ghostscript cannot read.
const std::array<Signature, 11> Signatures{{
    {Kind::Png, "\x89PNG\r\n\x1A\n"},
    {Kind::Jpeg, "\xFF\xD8\xFF"},
    {Kind::Gif, "GIF87a"},
    {Kind::Gif, "GIF89a"},
    {Kind::Tiff, QByteArrayView("II*\0", 4)},
    {Kind::Tiff, QByteArrayView("MM\0*", 4)},
    {Kind::Gzip, "\x1F\x8B"},
    {Kind::Xz, QByteArrayView("\xFD"
                              "7zXZ\0",
                              6)},
    {Kind::Zip, "PK\x03\x04"},
    {Kind::Zip, "PK\x05\x06"}, // an empty archive
    {Kind::Zip, "PK\x07\x08"}, // a spanned one
}};

// "BZh", the block size, then the magic of a first block or of the end of the stream.
bool IsBzip2(const QByteArray& head) {
    return head.size() >= 10 && head.startsWith("BZh") && head[3] >= '1' && head[3] <= '9' &&
           (head.mid(4, 6) == "\x31\x41\x59\x26\x53\x59" ||
            head.mid(4, 6) == "\x17\x72\x45\x38\x50\x90");
}

quint32 LittleEndian32(const QByteArray& bytes, qsizetype at) {
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<quint8>(bytes[at + i]);
    return value;
}

// "BM", reserved bytes of zero and a known size of the header that follows: plain text starting
// with "BM" is not taken for a picture.
bool IsBmp(const QByteArray& head) {
    static const quint32 HeaderSizes[] = {12, 40, 52, 56, 64, 108, 124};
    return head.size() >= 18 && head.startsWith("BM") && LittleEndian32(head, 6) == 0 &&
           std::find(std::begin(HeaderSizes), std::end(HeaderSizes), LittleEndian32(head, 14)) !=
               std::end(HeaderSizes);
}

// The head without what may come before a PostScript or PDF header: a byte order mark, the
// end-of-job character some drivers send first, and blank space.
QByteArray Opening(const QByteArray& head) {
    QByteArray rest = head.startsWith("\xEF\xBB\xBF") ? head.mid(3) : head;
    qsizetype i = 0;
    while (i < rest.size() && (rest[i] == '\x04' || QChar::isSpace(uchar(rest[i]))))
        ++i;
    return rest.mid(i);
}

// Text in UTF-8 (the head may end inside a character) with no control characters but those of
// line and page layout.
bool IsText(const QByteArray& head) {
    const bool controls = std::any_of(head.cbegin(), head.cend(), [](char c) {
        const auto b = static_cast<uchar>(c);
        return (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f') || b == 0x7F;
    });
    if (controls)
        return false;
    // A decoder that keeps its state takes a character cut off by the head's end for one that
    // goes on, not for a mistake.
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8(head);
    return !utf8.hasError();
}

} // namespace

Kind Of(const QByteArray& head, qint64 size) {
    if (size == 0)
        return Kind::Empty;
    const QByteArray opening = Opening(head);
    if (opening.startsWith("%!") || head.startsWith("\xC5\xD0\xD3\xC6"))
        return Kind::PostScript;
    if (opening.startsWith("%PDF-"))
        return Kind::Pdf;
    for (const Signature& s : Signatures)
        if (head.startsWith(s.start))
            return s.kind;
    if (IsBzip2(head))
        return Kind::Bzip2;
    if (IsBmp(head))
        return Kind::Bmp;
    return IsText(head) ? Kind::Text : Kind::Other;
}

Kind OfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::Other;
    return Of(file.read(HeadBytes), file.size());
}

bool NeverADrawing(Kind kind) {
    return kind != Kind::PostScript && kind != Kind::Pdf && kind != Kind::Text &&
           kind != Kind::Other;
}

QString NotADrawing(Kind kind) {
    const auto is = [](const char* what) {
        return QStringLiteral("it is not a PostScript drawing: it is ") + QLatin1String(what);
    };
    const auto archive = [&](const char* what) {
        return is(what) + QStringLiteral("; unpack it and add what it holds");
    };
    switch (kind) {
    case Kind::Empty: return is("an empty file");
    case Kind::Png: return is("a PNG picture");
    case Kind::Jpeg: return is("a JPEG picture");
    case Kind::Gif: return is("a GIF picture");
    case Kind::Tiff: return is("a TIFF picture");
    case Kind::Bmp: return is("a BMP picture");
    case Kind::Gzip: return archive("a gzip archive");
    case Kind::Bzip2: return archive("a bzip2 archive");
    case Kind::Xz: return archive("an xz archive");
    case Kind::Zip: return archive("a ZIP archive");
    case Kind::Text: return is("plain text without a PostScript header (\"%!\")");
    case Kind::Other:
        return QStringLiteral("it is not a PostScript drawing: it has no PostScript header "
                              "(\"%!\")");
    case Kind::Pdf:
        return QStringLiteral("it is a PDF document, not a PostScript drawing, and Ghostscript "
                              "could not read it");
    case Kind::PostScript: break;
    }
    return {};
}

} // namespace filekind
