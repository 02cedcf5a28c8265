#include "pdfwriter/writer.h"

#include "common/apptitle.h"
#include "common/paths.h"
#include "common/pdfwriterkeys.h"
#include "pdfwriter/pdffile.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/printing.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>

namespace pdfwriter {

namespace {

using platform::Native;

QByteArray ReadJpeg(const QString& jpegPath) {
    QFile file(jpegPath);
    if (!file.open(QIODevice::ReadOnly))
        platform::Raise(platform::errors::FileNotFound,
                        QStringLiteral("The picture %1 cannot be read: %2")
                            .arg(Native(jpegPath), file.errorString()));
    return file.readAll();
}

std::optional<QString> Value(const QString& name) {
    return platform::ReadUserRegistryString(pdfwriterkeys::Key(), name);
}

} // namespace

QSizeF PaperPoints(const JpegFacts& facts) {
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

// The pages of the JPEG file at `jpegPath`: one for each picture in it, in order.
QList<PdfPage> PagesOf(const QString& jpegPath) {
    const std::optional<QList<QByteArray>> pictures = WholePictures(ReadJpeg(jpegPath));
    QList<PdfPage> pages;
    for (const QByteArray& picture : pictures.value_or(QList<QByteArray>())) {
        const std::optional<JpegFacts> facts = ReadJpegFacts(picture);
        if (!facts)
            break;
        pages.append({picture, *facts, PaperPoints(*facts)});
    }
    if (!pictures || pages.size() != pictures->size())
        platform::Raise(platform::errors::InvalidPicture,
                        QStringLiteral("The picture %1 is not a complete JPEG image that can be "
                                       "printed.")
                            .arg(Native(jpegPath)));
    return pages;
}

} // namespace

void SaveJpegAsPdf(const QString& jpegPath, const QString& target, const QString& title) {
    const PdfOrigin origin{title, QCoreApplication::applicationName(),
                           apptitle::ProductName + QStringLiteral(" " PELLARINE_VERSION),
                           QDateTime::currentDateTime()};
    const QByteArray pdf = PdfOfPages(PagesOf(jpegPath), origin);
    try {
        platform::ReplaceFileWith(target, pdf);
    } catch (const platform::Failure& failure) {
        platform::RaiseAbout(QFileInfo(target).absolutePath(), failure.number,
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
