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

// A length in points: whole points as integers, others to a hundredth of a point.
QByteArray PdfNumber(double points) {
    QByteArray number = QByteArray::number(points, 'f', 2);
    while (number.endsWith('0'))
        number.chop(1);
    if (number.endsWith('.'))
        number.chop(1);
    return number;
}

} // namespace

namespace {

// A PDF file being written: where it has got to, and where each numbered object starts.
struct PdfStream {
    const platform::WriteBytes& out;
    qint64 position = 0;
    QList<qint64> offsets{0}; // object 0 is the head of the free list

    void put(QByteArrayView bytes) {
        out(bytes);
        position += bytes.size();
    }
    void object(int number, const QByteArray& body) {
        begin(number);
        put(body + "\nendobj\n");
    }
    void begin(int number) {
        offsets.resize(number + 1);
        offsets[number] = position;
        put(QByteArray::number(number) + " 0 obj\n");
    }
};

// Objects 3n+3, 3n+4 and 3n+5 are the page n (from 0), its picture and its content.
int PageObject(qsizetype page) { return int(3 * page + 3); }

void AddPage(PdfStream& pdf, int number, const PdfPage& page, const PictureCopy& copy) {
    const QByteArray w = PdfNumber(page.points.width());
    const QByteArray h = PdfNumber(page.points.height());
    const QByteArray image = QByteArray::number(number + 1);
    const QByteArray contents = QByteArray::number(number + 2);
    const QByteArray content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n";
    const jpeg::JpegFacts& facts = page.facts;
    const char* colourSpace = facts.components == 1   ? "/DeviceGray"
                              : facts.components == 3 ? "/DeviceRGB"
                                                      : "/DeviceCMYK";
    pdf.object(number, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
                           "] /Resources << /XObject << /Im0 " + image +
                           " 0 R >> /ProcSet [/PDF /ImageC /ImageB] >> /Contents " + contents +
                           " 0 R >>");
    pdf.begin(number + 1);
    pdf.put("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(facts.width) +
            " /Height " + QByteArray::number(facts.height) + " /ColorSpace " + colourSpace +
            (facts.invertedCmyk ? " /Decode [1 0 1 0 1 0 1 0]" : "") +
            " /BitsPerComponent 8 /Filter /DCTDecode /Length " +
            QByteArray::number(page.picture.length) + " >>\nstream\n");
    copy(page.picture, [&pdf](QByteArrayView bytes) { pdf.put(bytes); });
    pdf.put("\nendstream\nendobj\n");
    pdf.object(number + 2, "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
                               content + "endstream");
}

} // namespace

void WritePdf(const QList<PdfPage>& pages, const PdfOrigin& origin, const platform::WriteBytes& out,
              const PictureCopy& copy) {
    PdfStream pdf{out};
    pdf.put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    QByteArray kids;
    for (qsizetype i = 0; i < pages.size(); ++i)
        kids += (i ? " " : "") + QByteArray::number(PageObject(i)) + " 0 R";
    pdf.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " +
                      QByteArray::number(pages.size()) + " >>");
    for (qsizetype i = 0; i < pages.size(); ++i)
        AddPage(pdf, PageObject(i), pages[i], copy);
    const int info = PageObject(pages.size());
    const QByteArray title = origin.title.isEmpty() ? "" : "/Title " + PdfText(origin.title) + " ";
    pdf.object(info, "<< " + title + "/Creator " + PdfText(origin.creator) + " /Producer " +
                         PdfText(origin.producer) + " /CreationDate " + PdfDate(origin.created) +
                         " >>");

    const qint64 xref = pdf.position;
    const QByteArray count = QByteArray::number(pdf.offsets.size());
    QByteArray table = "xref\n0 " + count + "\n0000000000 65535 f \n";
    for (qsizetype i = 1; i < pdf.offsets.size(); ++i)
        table += QByteArray::number(pdf.offsets[i]).rightJustified(10, '0') + " 00000 n \n";
    table += "trailer\n<< /Size " + count + " /Root 1 0 R /Info " + QByteArray::number(info) +
             " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    pdf.put(table);
}

} // namespace pdfwriter
