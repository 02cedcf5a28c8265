#include "platform/pdfwriter.h"

#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>

#include <cstdlib>

namespace platform {

namespace {

using errors::InvalidPicture;

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QByteArray ReadJpeg(const QString& jpegPath) {
    QFile file(jpegPath);
    if (!file.open(QIODevice::ReadOnly))
        Raise(errors::FileNotFound, QStringLiteral("The picture %1 cannot be read: %2")
                                        .arg(Native(jpegPath), file.errorString()));
    return file.readAll();
}

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

QSize PdfWriterPaperPoints(const JpegFacts& facts) {
    const QString paper =
        ReadUserRegistryString(PdfWriterKey(), PaperValue()).value_or(QString()).trimmed();
    if (paper.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4).sizePoints();
    if (paper.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter).sizePoints();
    return {facts.width, facts.height};
}

namespace {

// A text string of the document information: in parentheses, with the characters that would
// end or escape it escaped; UTF-16 when it is not plain ASCII.
QByteArray PdfText(const QString& text) {
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 32 && c.unicode() < 127;
    if (!ascii) {
        QByteArray hex = "<FEFF";
        for (const QChar c : text)
            hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
        return hex + '>';
    }
    QByteArray escaped = text.toLatin1();
    escaped.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
    return '(' + escaped + ')';
}

// D:YYYYMMDDHHmmSS+HH'mm', the date form of PDF.
QByteArray PdfDate(const QDateTime& when) {
    const int offset = when.offsetFromUtc() / 60;
    const QByteArray zone =
        offset == 0 ? QByteArray("Z")
                    : (offset > 0 ? "+" : "-") +
                          QByteArray::number(std::abs(offset) / 60).rightJustified(2, '0') + '\'' +
                          QByteArray::number(std::abs(offset) % 60).rightJustified(2, '0') + '\'';
    return "(D:" + when.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + zone + ')';
}

} // namespace

QByteArray OnePagePdf(const QByteArray& jpeg, const JpegFacts& facts, QSize pagePoints,
                      const PdfOrigin& origin) {
    const QByteArray w = QByteArray::number(pagePoints.width());
    const QByteArray h = QByteArray::number(pagePoints.height());
    const QByteArray content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n";
    const char* colourSpace = facts.components == 1   ? "/DeviceGray"
                              : facts.components == 3 ? "/DeviceRGB"
                                                      : "/DeviceCMYK";

    QByteArray pdf;
    pdf.reserve(jpeg.size() + 1024);
    pdf += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    constexpr int Objects = 6;
    qsizetype offsets[Objects + 1] = {};
    const auto object = [&](int number, const QByteArray& body) {
        offsets[number] = pdf.size();
        pdf += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    };
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
                  "] /Resources << /XObject << /Im0 4 0 R >> /ProcSet [/PDF /ImageC /ImageB] >> "
                  "/Contents 5 0 R >>");
    offsets[4] = pdf.size();
    pdf += "4 0 obj\n<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(facts.width) +
           " /Height " + QByteArray::number(facts.height) + " /ColorSpace " + colourSpace +
           (facts.invertedCmyk ? " /Decode [1 0 1 0 1 0 1 0]" : "") +
           " /BitsPerComponent 8 /Filter /DCTDecode /Length " + QByteArray::number(jpeg.size()) +
           " >>\nstream\n";
    pdf += jpeg;
    pdf += "\nendstream\nendobj\n";
    object(5, "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                  "endstream");
    object(6, "<< /Creator " + PdfText(origin.creator) + " /Producer " + PdfText(origin.producer) +
                  " /CreationDate " + PdfDate(origin.created) + " >>");

    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(Objects + 1) + "\n0000000000 65535 f \n";
    for (int i = 1; i <= Objects; ++i)
        pdf += QByteArray::number(offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(Objects + 1) +
           " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

void SaveJpegAsPdf(const QString& jpegPath, const QString& target) {
    const QByteArray jpeg = ReadJpeg(jpegPath);
    const std::optional<JpegFacts> facts = ReadJpegFacts(jpeg);
    if (!facts || !JpegIsComplete(jpeg))
        Raise(InvalidPicture, QStringLiteral("The picture %1 is not a complete JPEG image that "
                                             "can be printed.")
                                  .arg(Native(jpegPath)));
    const PdfOrigin origin{QCoreApplication::applicationName(), PdfWriterName(),
                           QDateTime::currentDateTime()};
    const QByteArray pdf = OnePagePdf(jpeg, *facts, PdfWriterPaperPoints(*facts), origin);
    try {
        ReplaceFileWith(target, pdf);
    } catch (const Failure& failure) {
        RaiseAbout(QFileInfo(target).absolutePath(), failure.number,
                   QStringLiteral("The PDF file %1 cannot be saved: %2")
                       .arg(Native(target), failure.description));
    }
}

void PrintOnPdfWriter(Dialogs& dialogs, const QString& jpegPath) {
    const QString target =
        ReadUserRegistryString(PdfWriterKey(), OutputFileValue()).value_or(QString());
    const bool ask =
        ReadUserRegistryString(PdfWriterKey(), BypassSaveAsValue()) != QStringLiteral("1") ||
        target.isEmpty();
    const QString chosen =
        ask ? dialogs.saveFile(nullptr, QStringLiteral("Save PDF File As"),
                               target.isEmpty() ? QDir::homePath() + QStringLiteral("/Untitled.pdf")
                                                : target)
            : target;
    if (!chosen.isEmpty())
        SaveJpegAsPdf(jpegPath, chosen);
}

} // namespace platform
