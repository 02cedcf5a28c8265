// Time per page of the PDF Writer: registry values written, writer selected, JPEG printed as a
// one-page PDF (read, embedded, written beside the target and renamed into place).
//
//     build/bench/bench_pdfwriter [pages]
#include "convert/pdfoutput.h"
#include "fakes.h"
#include "scratchhome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString MakeJpeg(const QString& path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int i = 0; i < 40; ++i)
        painter.fillRect(i * size.width() / 40, 0, size.width() / 80, size.height(),
                         QColor::fromHsv(i * 9, 200, 220));
    painter.end();
    image.save(path, "JPEG", 75);
    return path;
}

void Measure(testing::FakeServices& fakes, const QString& jpeg, const QString& folder, int pages) {
    std::vector<double> ms;
    for (int i = 0; i < pages; ++i) {
        QElapsedTimer clock;
        clock.start();
        pdfoutput::SetPdfWriterOutput(folder + QStringLiteral("/page%1.pdf").arg(i));
        pdfoutput::SelectPdfWriter(fakes.printers, fakes.printing);
        pdfoutput::PrintJpegToPdf(fakes.printing, jpeg);
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (const double m : ms)
        sum += m;
    const QImage image(jpeg);
    std::printf("%5dx%-5d JPEG %7lld bytes: %d pages, mean %.2f ms, median %.2f ms, max %.2f ms\n",
                image.width(), image.height(), static_cast<long long>(QFileInfo(jpeg).size()),
                pages, sum / pages, ms[ms.size() / 2], ms.back());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int pages = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    testing::ScratchHome scratch; // private config folder for the registry values
    testing::FakeServices fakes;
    const QString out = scratch.makeFolder(QStringLiteral("out"));
    Measure(fakes, MakeJpeg(scratch.path() + QStringLiteral("/small.jpg"), {612, 792}), out, pages);
    Measure(fakes, MakeJpeg(scratch.path() + QStringLiteral("/a4-150dpi.jpg"), {1240, 1754}), out,
            pages);
    Measure(fakes, MakeJpeg(scratch.path() + QStringLiteral("/a4-300dpi.jpg"), {2480, 3508}), out,
            pages);
    return 0;
}
