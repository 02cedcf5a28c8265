#include "pdfwriter/jpeg.h"

namespace pdfwriter {

namespace {

int Be16(const QByteArray& bytes, qsizetype at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

} // namespace

std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg) {
    if (jpeg.size() < 4 || Be16(jpeg, 0) != 0xFFD8)
        return std::nullopt;
    JpegFacts facts;
    bool adobe = false;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size()) {
        if (static_cast<unsigned char>(jpeg[at]) != 0xFF)
            return std::nullopt;
        const int marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const int length = Be16(jpeg, at + 2);
        const qsizetype segment = at + 4;
        if (length < 2 || at + 2 + length > jpeg.size())
            return std::nullopt;
        if (marker == 0xEE && length >= 14 && jpeg.mid(segment, 5) == "Adobe") {
            adobe = true;
        } else if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (length < 8 || static_cast<unsigned char>(jpeg[segment]) != 8)
                return std::nullopt; // only 8-bit samples go into a PDF unchanged
            facts.height = Be16(jpeg, segment + 1);
            facts.width = Be16(jpeg, segment + 3);
            facts.components = static_cast<unsigned char>(jpeg[segment + 5]);
        } else if (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                   marker != 0xCC) {
            return std::nullopt; // lossless, hierarchical or arithmetic-coded
        } else if (marker == 0xDA || marker == 0xD9) {
            break;
        }
        at += 2 + length;
    }
    if (facts.width <= 0 || facts.height <= 0 ||
        (facts.components != 1 && facts.components != 3 && facts.components != 4))
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
