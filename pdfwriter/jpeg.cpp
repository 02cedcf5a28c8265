#include "pdfwriter/jpeg.h"

namespace pdfwriter {

namespace {

int Be16(const QByteArray& bytes, qsizetype at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

} // namespace

namespace {

// What one marker segment of a JPEG says, as far as embedding it in a PDF goes.
enum class Segment { Other, Adobe, Frame, Unusable, ImageData };

Segment Classify(const QByteArray& jpeg, int marker, qsizetype segment, int length,
                 JpegFacts& facts) {
    if (marker == 0xEE && length >= 14 && jpeg.mid(segment, 5) == "Adobe")
        return Segment::Adobe;
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
        if (length < 8 || static_cast<unsigned char>(jpeg[segment]) != 8)
            return Segment::Unusable; // only 8-bit samples go into a PDF unchanged
        facts.height = Be16(jpeg, segment + 1);
        facts.width = Be16(jpeg, segment + 3);
        facts.components = static_cast<unsigned char>(jpeg[segment + 5]);
        return Segment::Frame;
    }
    if (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
        return Segment::Unusable; // lossless, hierarchical or arithmetic-coded
    if (marker == 0xDA || marker == 0xD9)
        return Segment::ImageData;
    return Segment::Other;
}

bool Usable(const JpegFacts& facts) {
    return facts.width > 0 && facts.height > 0 &&
           (facts.components == 1 || facts.components == 3 || facts.components == 4);
}

} // namespace

std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg) {
    if (jpeg.size() < 4 || Be16(jpeg, 0) != 0xFFD8)
        return std::nullopt;
    JpegFacts facts;
    bool adobe = false;
    for (qsizetype at = 2; at + 4 <= jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[at]) != 0xFF)
            return std::nullopt;
        const int marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2; // a fill byte, or a marker without a segment
            continue;
        }
        const int length = Be16(jpeg, at + 2);
        if (length < 2 || at + 2 + length > jpeg.size())
            return std::nullopt;
        const Segment kind = Classify(jpeg, marker, at + 4, length, facts);
        if (kind == Segment::Unusable)
            return std::nullopt;
        if (kind == Segment::ImageData)
            break;
        adobe = adobe || kind == Segment::Adobe;
        at += 2 + length;
    }
    if (!Usable(facts))
        return std::nullopt;
    facts.invertedCmyk = adobe && facts.components == 4;
    return facts;
}

bool JpegIsComplete(const QByteArray& jpeg) {
    // Encoders may pad after the marker; a few stray bytes are allowed.
    const qsizetype end = jpeg.lastIndexOf("\xFF\xD9");
    return end >= 2 && jpeg.size() - end - 2 <= 16;
}

} // namespace pdfwriter
