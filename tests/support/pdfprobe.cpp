#include "pdfprobe.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>

namespace testing {

const QByteArray SquareEps =
    "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 50 50\n0 0 1 setrgbcolor 0 0 50 50 rectfill\n"
    "showpage\n%%EOF\n";
const QByteArray LoopingEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n{} loop\n";

QString PdfInfo(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(20000);
    return info.exitCode() == 0 ? QString::fromUtf8(info.readAllStandardOutput()) : QString();
}

int PdfPages(const QString& path) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)\\n")).match(PdfInfo(path));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString PageSize(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+(\\S+ x \\S+) pts")).match(PdfInfo(pdf));
    return m.hasMatch() ? m.captured(1) : QString();
}

QColor PageColour(const QString& pdf, int page) {
    QProcess render;
    const QString number = QString::number(page);
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("36"),
                  QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                  QStringLiteral("-singlefile"), pdf, pdf});
    render.waitForFinished(20000);
    const QImage image(pdf + QStringLiteral(".png"));
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

QByteArray Drawing(int width, int height) {
    return QStringLiteral("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 %1 %2\n"
                          "0.2 0.4 0.8 setrgbcolor 0 0 %1 %2 rectfill\nshowpage\n%%EOF\n")
        .arg(width)
        .arg(height)
        .toLatin1();
}

QByteArray Probe(const QString& attempt) {
    return ("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 20\n{ " + attempt +
            " } stopped { 0 1 0 } { 1 0 0 } ifelse setrgbcolor 0 0 20 20 rectfill\nshowpage\n")
        .toUtf8();
}

} // namespace testing
