#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

// What poppler's tools say of a PDF, and drawings to convert.
namespace testing {

// pdfinfo's answer for a file, or empty when poppler cannot open it.
QString PdfInfo(const QString& path);
// The number of pages, -1 when poppler cannot open the file.
int PdfPages(const QString& path);
// "W x H" of the first page, in points.
QString PageSize(const QString& pdf);
// The colour in the middle of a page, as poppler renders it.
QColor PageColour(const QString& pdf, int page = 1);

// A blue square of 50 points.
extern const QByteArray SquareEps;
// A drawing that never ends.
extern const QByteArray LoopingEps;
// A drawing of its own size, so that a PDF shows which source it holds.
QByteArray Drawing(int width, int height);
// A drawing that tries one thing a drawing may not do (PostScript), and paints itself green
// when that was refused, red when it went through.
QByteArray Probe(const QString& attempt);

} // namespace testing
