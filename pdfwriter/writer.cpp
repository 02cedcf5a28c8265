#include "pdfwriter/writer.h"

#include "common/apptitle.h"
#include "common/paths.h"
#include "common/pdfwriterkeys.h"
#include "pdfwriter/pdffile.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/pathwalk.h"
#include "platform/printing.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>

#include <algorithm>

namespace pdfwriter {

namespace {

using platform::Native;

// Opens the picture file to be read in pieces; one larger than the PDF Writer takes is refused
// before anything of it is read.
void OpenPicture(QFile& picture) {
    const QString path = picture.fileName();
    if (!picture.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        platform::Raise(platform::errors::FileNotFound,
                        QStringLiteral("The picture %1 cannot be read: %2")
                            .arg(Native(path), picture.errorString()));
    constexpr qint64 MiB = 1 << 20;
    if (picture.size() > pdfwriterkeys::LargestPictureBytes)
        platform::Raise(platform::errors::InvalidPicture,
                        QStringLiteral("The picture %1 is larger than %2 MB, the most the PDF "
                                       "Writer prints.")
                            .arg(Native(path))
                            .arg(pdfwriterkeys::LargestPictureBytes / MiB));
}

// The head of a picture, where its facts are: a picture whose head is longer is not printed.
constexpr qint64 LongestHead = 1 << 20;

// Copies a picture from the picture file into the PDF, a piece at a time.
void CopyPicture(QFile& picture, const jpeg::PictureSpan& span, const platform::WriteBytes& out) {
    constexpr qint64 Piece = 1 << 20;
    QByteArray buffer(Piece, Qt::Uninitialized);
    if (!picture.seek(span.offset))
        platform::Raise(platform::errors::DeviceIO, picture.errorString());
    for (qint64 left = span.length; left > 0;) {
        const qint64 got = picture.read(buffer.data(), std::min(left, Piece));
        if (got <= 0)
            platform::Raise(platform::errors::DeviceIO,
                            QStringLiteral("the picture could not be read again: %1")
                                .arg(picture.errorString()));
        out(QByteArrayView(buffer.constData(), got));
        left -= got;
    }
}

std::optional<QString> Value(const QString& name) {
    return platform::ReadUserRegistryString(pdfwriterkeys::Key(), name);
}

} // namespace

QSizeF PaperPoints(const jpeg::JpegFacts& facts) {
    const QString paper = Value(PaperValue()).value_or(QString()).trimmed();
    if (paper.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4).sizePoints();
    if (paper.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter).sizePoints();
    if (facts.dpiX > 0 && facts.dpiY > 0)
        return {facts.width * 72.0 / facts.dpiX, facts.height * 72.0 / facts.dpiY};
    return {double(facts.width), double(facts.height)};
}

namespace {

// The pages of the open picture file: one for each picture in it, in order.
QList<PdfPage> PagesOf(QFile& picture) {
    const std::optional<QList<jpeg::PictureSpan>> pictures = jpeg::WholePictures(picture);
    QList<PdfPage> pages;
    for (const jpeg::PictureSpan& span : pictures.value_or(QList<jpeg::PictureSpan>())) {
        picture.seek(span.offset);
        const std::optional<jpeg::JpegFacts> facts =
            jpeg::ReadJpegFacts(picture.read(std::min(span.length, LongestHead)));
        if (!facts)
            break;
        pages.append({span, *facts, PaperPoints(*facts)});
    }
    if (!pictures || pages.size() != pictures->size())
        platform::Raise(platform::errors::InvalidPicture,
                        QStringLiteral("The picture %1 is not a complete JPEG image that can be "
                                       "printed.")
                            .arg(Native(picture.fileName())));
    return pages;
}

} // namespace

void SaveJpegAsPdf(const QString& jpegPath, const QString& target, const QString& title) {
    const PdfOrigin origin{title, QCoreApplication::applicationName(),
                           apptitle::ProductName + QStringLiteral(" " PELLARINE_VERSION),
                           QDateTime::currentDateTime()};
    QFile picture(jpegPath);
    OpenPicture(picture);
    const QList<PdfPage> pages = PagesOf(picture);
    const QFileInfo where(target);
    try {
        // The PDF is no more readable than the picture printed.
        platform::ReplaceFileIn(
            platform::OpenFolder(where.absolutePath()), where.fileName(),
            platform::ReadersOf(picture.handle()), [&](const platform::WriteBytes& write) {
                WritePdf(pages, origin, write,
                         [&](const jpeg::PictureSpan& span, const platform::WriteBytes& out) {
                             CopyPicture(picture, span, out);
                         });
            });
    } catch (const platform::Failure& failure) {
        platform::RaiseAbout(where.absolutePath(), failure.number,
                             QStringLiteral("The PDF file %1 cannot be saved: %2")
                                 .arg(Native(target), failure.description));
    }
}

void PrintOnPdfWriter(platform::Dialogs& dialogs, const QString& jpegPath, const QString& title) {
    const QString target = Value(pdfwriterkeys::OutputFileValue()).value_or(QString());
    const bool ask =
        Value(pdfwriterkeys::BypassSaveAsValue()) != QStringLiteral("1") || target.isEmpty();
    const QString chosen =
        ask ? dialogs.saveFile(nullptr, QStringLiteral("Save PDF File As"),
                               target.isEmpty() ? QDir::homePath() + QStringLiteral("/Untitled.pdf")
                                                : target)
            : target;
    if (!chosen.isEmpty())
        SaveJpegAsPdf(jpegPath, chosen, title);
}

platform::VirtualPrinter AsPrinter(platform::Dialogs& dialogs) {
    return {pdfwriterkeys::PrinterName(),
            [&dialogs](const QString& jpegPath, const QString& title) {
                PrintOnPdfWriter(dialogs, jpegPath, title);
            }};
}

} // namespace pdfwriter
