#include "pdfwriter/pdffile.h"

#include <cstdlib>

namespace pdfwriter {

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

} // namespace pdfwriter
