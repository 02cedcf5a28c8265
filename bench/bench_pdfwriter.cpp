// Time per page of the PDF Writer: registry values written, writer selected, JPEG printed as a
// one-page PDF (read, embedded, written into the target's folder and renamed into place). Then
// the peak memory of printing a picture file of about a gigabyte, as a drawing of many large
// pages gives.
//
//     build/bench/bench_pdfwriter [pages]
#include "convert/pdfoutput.h"
#include "fakes.h"
#include "scratchhome.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

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
    QFile picture(jpeg);
    picture.open(QIODevice::ReadOnly);
    for (int i = 0; i < pages; ++i) {
        // Each page a picture the writer has not checked before, as in a run.
        picture.setFileTime(QDateTime::currentDateTime().addSecs(i + 1),
                            QFileDevice::FileModificationTime);
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

// The peak of this process's memory since the last ResetPeakMemory, in MB.
double PeakMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A picture file of `pages` pictures of noise, 4000 pixels square at the highest quality (about
// 40 MB each), printed as one PDF.
void MeasureLarge(testing::FakeServices& fakes, const QString& folder, int pages) {
    const QString jpeg = folder + QStringLiteral("/large.jpg");
    {
        QImage noise(4000, 4000, QImage::Format_RGB32);
        QRandomGenerator random(1);
        for (int y = 0; y < noise.height(); ++y)
            random.fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
        QByteArray picture;
        QBuffer buffer(&picture);
        buffer.open(QIODevice::WriteOnly);
        noise.save(&buffer, "JPEG", 100);
        QFile file(jpeg);
        file.open(QIODevice::WriteOnly);
        for (int page = 0; page < pages; ++page)
            file.write(picture);
    }
    ResetPeakMemory();
    const double before = PeakMemoryMb();
    QElapsedTimer clock;
    clock.start();
    pdfoutput::SetPdfWriterOutput(folder + QStringLiteral("/large.pdf"));
    pdfoutput::SelectPdfWriter(fakes.printers, fakes.printing);
    pdfoutput::PrintJpegToPdf(fakes.printing, jpeg);
    std::printf("%d pictures of 4000x4000, %lld MB in all: %.1f s, peak memory %.0f MB "
                "(%.0f MB before printing)\n",
                pages, static_cast<long long>(QFileInfo(jpeg).size() >> 20),
                static_cast<double>(clock.elapsed()) / 1000, PeakMemoryMb(), before);
    QFile::remove(jpeg);
    QFile::remove(folder + QStringLiteral("/large.pdf"));
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
    MeasureLarge(fakes, out, 34);
    return 0;
}
