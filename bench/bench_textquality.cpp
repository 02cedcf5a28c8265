// How close the PDFs come to Ghostscript's smoothed rendering of their drawings, and what a finer
// resolution costs. Every EPS of a folder (bench/make_drawings.py and
// bench/make_program_drawings.py write some, bench/collect_doc_eps.sh gathers real ones) is
// converted through the window:
// - the view at 72 dpi: each PDF's page rendered again at 72 dpi and compared, by the structural
//   similarity (SSIM) of its grey levels, with the drawing rendered at 72 dpi with text and
//   lines smoothed; once with the shipped Ghostscript launcher and once with one that leaves
//   text unsmoothed;
// - the view at 300 dpi, as a zoomed viewer or a printer shows a page: the PDFs made at 72 and
//   at 300 dpi, and those of ps2pdf, rendered at 300 dpi by Ghostscript as they are (or, with
//   --viewer, smoothed by poppler as PDF viewers show them) and compared with the drawing
//   rendered smoothed by Ghostscript at 300 dpi;
// - at 72, 150, 300 and 600 dpi: the time and bytes per file, how many PDFs have not exactly one
//   page, and how many pages are not the drawing's bounding box within one point.
// Run: python3 bench/make_drawings.py /tmp/drawings
//      QT_QPA_PLATFORM=offscreen build/bench/bench_textquality /tmp/drawings [quality] [--viewer]
#include "app/form1.h"
#include "common/resolution.h"
#include "fakes.h"
#include "formfixture.h"
#include "pdfprobe.h"
#include "platform/launcher.h"
#include "rasterise/boundingbox.h"
#include "scratchhome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using testing::ControlsOf;

namespace {

const QStringList Smoothed{"-dGraphicsAlphaBits=4", "-dTextAlphaBits=4"};

// Ghostscript's rendering of `source` (an EPS or a PDF's first page) at `dpi`, lossless.
QImage Render(const QString& source, const QString& png, int dpi, const QStringList& switches) {
    QFile::remove(png);
    QProcess::execute(QStringLiteral("gs"),
                      QStringList{"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                                  "-r" + QString::number(dpi), "-dFirstPage=1", "-dLastPage=1",
                                  "-sOutputFile=" + png} +
                          switches + QStringList{source});
    return QImage(png);
}

// A Gaussian blur (11 by 11, sigma 1.5) of grey levels, over the part of the image where the
// whole window fits.
std::vector<float> Blur(const std::vector<float>& v, int w, int h) {
    float kernel[11], sum = 0;
    for (int i = 0; i < 11; ++i)
        sum += kernel[i] = float(std::exp(-(i - 5) * (i - 5) / (2 * 1.5 * 1.5)));
    const int ow = w - 10, oh = h - 10;
    std::vector<float> across(size_t(ow) * size_t(h)), out(size_t(ow) * size_t(oh));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < ow; ++x) {
            float s = 0;
            for (int i = 0; i < 11; ++i)
                s += kernel[i] * v[size_t(y) * size_t(w) + size_t(x + i)];
            across[size_t(y) * size_t(ow) + size_t(x)] = s / sum;
        }
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x) {
            float s = 0;
            for (int i = 0; i < 11; ++i)
                s += kernel[i] * across[size_t(y + i) * size_t(ow) + size_t(x)];
            out[size_t(y) * size_t(ow) + size_t(x)] = s / sum;
        }
    return out;
}

// The mean structural similarity of two images' grey levels, over the size they share.
double Ssim(const QImage& a, const QImage& b) {
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    if (w < 11 || h < 11)
        return 0;
    std::vector<float> x, y, xx, yy, xy;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const float p = float(qGray(a.pixel(c, r))), q = float(qGray(b.pixel(c, r)));
            x.push_back(p), y.push_back(q), xx.push_back(p * p), yy.push_back(q * q);
            xy.push_back(p * q);
        }
    const auto mx = Blur(x, w, h), my = Blur(y, w, h), mxx = Blur(xx, w, h), myy = Blur(yy, w, h),
               mxy = Blur(xy, w, h);
    const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0;
    for (size_t i = 0; i < mx.size(); ++i) {
        const double vx = mxx[i] - double(mx[i]) * mx[i], vy = myy[i] - double(my[i]) * my[i],
                     cxy = mxy[i] - double(mx[i]) * my[i];
        total += (2.0 * mx[i] * my[i] + c1) * (2 * cxy + c2) /
                 ((double(mx[i]) * mx[i] + double(my[i]) * my[i] + c1) * (vx + vy + c2));
    }
    return total / double(mx.size());
}

// Converts `files` through the window with the launcher of `application`, into `out`, at the
// default quality or at `quality`, at `resolution`; answers how long the run took, in ms, and
// prints the reasons of the files that gave no PDF.
qint64 Convert(const QStringList& files, const QString& application, const QString& out,
               int quality, int resolution = resolution::Default) {
    testing::FakeServices fakes;
    platform::PosixLauncher launcher(QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
    auto services = fakes.services();
    services.launcher = &launcher;
    services.applicationFolder = application;
    Form1 form(services);
    ControlsOf(form).Text1->setText(out + QLatin1Char('/'));
    if (quality >= 0)
        ControlsOf(form).Slider1->setValue(quality);
    form.ResolutionMenu_Click(resolution);
    for (const QString& file : files)
        form.AddToList(file);
    QElapsedTimer clock;
    clock.start();
    form.PushButton2_Click();
    const qint64 ms = clock.elapsed();
    for (const auto& shown : fakes.dialogs.shown)
        if (!shown.details.isEmpty())
            std::printf("%d dpi, not converted:\n%s\n", resolution, qPrintable(shown.details));
    return ms;
}

// A copy of the drawing as the program gives it to Ghostscript: marked as a drawing, its
// deferred box filled in.
QString PreparedCopy(const QString& file, const QString& folder) {
    const QString copy = folder + QStringLiteral("/") + QFileInfo(file).fileName();
    QFile::remove(copy);
    QFile::copy(file, copy);
    boundingbox::PrepareCopy(copy);
    return copy;
}

// The width and height of the box the header of a prepared copy gives, in points: the precise
// one when it gives one, as Ghostscript crops to that.
QSizeF BoxOf(const QString& prepared) {
    QFile file(prepared);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray head = file.read(8192).replace('\r', '\n');
    if (const qsizetype ps = head.indexOf("%!"); ps > 0) // behind a binary preview header
        head = head.mid(ps);
    QSizeF box;
    for (const QByteArray& line : head.split('\n')) {
        const bool precise = line.startsWith("%%HiResBoundingBox:");
        const QList<QByteArray> v = line.mid(line.indexOf(':') + 1).simplified().split(' ');
        if ((precise || (line.startsWith("%%BoundingBox:") && box.isEmpty())) && v.size() == 4)
            box = {v[2].toDouble() - v[0].toDouble(), v[3].toDouble() - v[1].toDouble()};
        if (precise && !box.isEmpty())
            return box;
    }
    return box;
}

// Poppler's rendering of a PDF's first page at `dpi`, smoothed, as a viewer shows it.
QImage View(const QString& pdf, const QString& png, int dpi) {
    QFile::remove(png);
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                       QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                       QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, png.chopped(4)});
    return QImage(png);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

QString KindOf(const QString& file) {
    return QFileInfo(file).completeBaseName().section(QLatin1Char('-'), 0, 0);
}

void PrintScores(const QString& view, const QStringList& columns,
                 const QList<QMap<QString, std::vector<double>>>& scores) {
    for (const QString& kind : scores[0].keys())
        for (qsizetype l = 0; l < columns.size(); ++l) {
            const auto& v = scores[l][kind];
            std::printf(
                "%s %-10s %-12s %3zu drawings: median %.4f, lowest %.4f, under 0.97: %zu\n",
                qPrintable(view), qPrintable(kind.left(10)), qPrintable(columns[l]), v.size(),
                Median(v), *std::min_element(v.begin(), v.end()),
                size_t(std::count_if(v.begin(), v.end(), [](double s) { return s < 0.97; })));
        }
}

// The view at 72 dpi: the shipped launcher and one that leaves text unsmoothed.
void ViewAt72(const QStringList& files, testing::ScratchHome& home, int quality) {
    const QString png = home.path() + QStringLiteral("/page.png");
    const QString plain = testing::ApplicationFolderWithLauncher(home, "exec gs \"$@\"");
    const QStringList launchers{QStringLiteral(PELLARINE_APP_FOLDER), plain};
    const QString prepared = home.makeFolder(QStringLiteral("prepared"));
    QList<QMap<QString, std::vector<double>>> scores(2);
    for (int l = 0; l < 2; ++l)
        Convert(files, launchers[l], home.makeFolder(QStringLiteral("out%1").arg(l)), quality);
    std::printf("%-44s %8s %8s\n", "drawing at 72 dpi", "shipped", "no text AA");
    for (const QString& file : files) {
        const QImage reference = Render(PreparedCopy(file, prepared), png, 72,
                                        QStringList{"-dEPSCrop", "-dDOINTERPOLATE"} + Smoothed);
        const QString name = QFileInfo(file).completeBaseName();
        double s[2];
        for (int l = 0; l < 2; ++l) {
            const QString pdf = home.path() + QStringLiteral("/out%1/%2.pdf").arg(l).arg(name);
            s[l] = Ssim(Render(pdf, png, 72, {}), reference);
            scores[l][KindOf(file)].push_back(s[l]);
            scores[l][QStringLiteral("all")].push_back(s[l]);
        }
        std::printf("%-44s %8.4f %8.4f\n", qPrintable(name.left(44)), s[0], s[1]);
    }
    PrintScores(QStringLiteral("72 dpi"), {QStringLiteral("shipped"), QStringLiteral("no text AA")},
                scores);
}

// The view at 300 dpi: the PDFs made at 72 and at 300 dpi, and ps2pdf's, rendered by Ghostscript
// as they are (as the view at 72 dpi renders them) or, with `viewer`, by poppler.
void ViewAt300(const QStringList& files, testing::ScratchHome& home, int quality, bool viewer) {
    const QString png = home.path() + QStringLiteral("/page.png");
    const QString prepared = home.makeFolder(QStringLiteral("prepared300"));
    const QStringList outs{home.makeFolder(QStringLiteral("view72")),
                           home.makeFolder(QStringLiteral("view300")),
                           home.makeFolder(QStringLiteral("ps2pdf"))};
    Convert(files, QStringLiteral(PELLARINE_APP_FOLDER), outs[0], quality, 72);
    Convert(files, QStringLiteral(PELLARINE_APP_FOLDER), outs[1], quality, 300);
    QList<QMap<QString, std::vector<double>>> scores(3);
    std::printf("%-44s %8s %8s %8s\n", "drawing at 300 dpi", "72 dpi", "300 dpi", "ps2pdf");
    for (const QString& file : files) {
        const QString name = QFileInfo(file).completeBaseName();
        const QString copy = PreparedCopy(file, prepared);
        QProcess::execute(QStringLiteral("ps2pdf"),
                          {QStringLiteral("-dEPSCrop"), copy, outs[2] + "/" + name + ".pdf"});
        const QImage reference =
            Render(copy, png, 300, QStringList{"-dEPSCrop", "-dDOINTERPOLATE"} + Smoothed);
        double s[3];
        for (int l = 0; l < 3; ++l) {
            const QString pdf = outs[l] + "/" + name + ".pdf";
            s[l] = Ssim(viewer ? View(pdf, png, 300) : Render(pdf, png, 300, {}), reference);
            scores[l][KindOf(file)].push_back(s[l]);
            scores[l][QStringLiteral("all")].push_back(s[l]);
        }
        std::printf("%-44s %8.4f %8.4f %8.4f\n", qPrintable(name.left(44)), s[0], s[1], s[2]);
    }
    PrintScores(
        QStringLiteral("300 dpi"),
        {QStringLiteral("made at 72"), QStringLiteral("made at 300"), QStringLiteral("ps2pdf")},
        scores);
}

// Time, bytes, pages and page sizes at every resolution.
void Resolutions(const QStringList& files, testing::ScratchHome& home, int quality) {
    const QString prepared = home.makeFolder(QStringLiteral("boxes"));
    QMap<QString, QSizeF> boxes;
    for (const QString& file : files)
        boxes[QFileInfo(file).completeBaseName()] = BoxOf(PreparedCopy(file, prepared));
    double baseMs = 0, baseBytes = 0;
    for (const int resolution : resolution::Listed) {
        const QString out = home.makeFolder(QStringLiteral("at%1").arg(resolution));
        const qint64 ms =
            Convert(files, QStringLiteral(PELLARINE_APP_FOLDER), out, quality, resolution);
        qint64 bytes = 0;
        int made = 0, notOnePage = 0, notTheBox = 0;
        for (auto it = boxes.cbegin(); it != boxes.cend(); ++it) {
            const QString pdf = out + "/" + it.key() + ".pdf";
            if (!QFileInfo::exists(pdf))
                continue;
            ++made;
            bytes += QFileInfo(pdf).size();
            notOnePage += testing::PdfPages(pdf) != 1;
            const QStringList size = testing::PageSize(pdf).split(QStringLiteral(" x "));
            const bool fits = std::abs(size.value(0).toDouble() - it->width()) <= 1 &&
                              std::abs(size.value(1).toDouble() - it->height()) <= 1;
            if (!fits)
                std::printf("  %s: page %s, box %g x %g\n", qPrintable(it.key()),
                            qPrintable(size.join(QStringLiteral(" x "))), it->width(),
                            it->height());
            notTheBox += !fits;
        }
        const double perFileMs = double(ms) / double(files.size());
        const double perFileBytes = double(bytes) / std::max(made, 1);
        if (resolution == resolution::Default)
            baseMs = perFileMs, baseBytes = perFileBytes;
        std::printf("%3d dpi: %zd files, %d PDFs; %.0f ms per file (%.2f x 72 dpi), %.0f KB per "
                    "PDF (%.2f x 72 dpi); not one page: %d; page not the box: %d\n",
                    resolution, size_t(files.size()), made, perFileMs, perFileMs / baseMs,
                    perFileBytes / 1024, perFileBytes / baseBytes, notOnePage, notTheBox);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_textquality FOLDER-OF-EPS-FILES [QUALITY] [--viewer]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QStringList files;
    for (const QString& name : folder.entryList({QStringLiteral("*.eps")}, QDir::Files))
        files << folder.absoluteFilePath(name);
    QStringList options = QCoreApplication::arguments().mid(2);
    const bool viewer = options.removeAll(QStringLiteral("--viewer")) > 0;
    const int quality = options.isEmpty() ? -1 : options.first().toInt();
    testing::ScratchHome home;
    ViewAt72(files, home, quality);
    ViewAt300(files, home, quality, viewer);
    Resolutions(files, home, quality);
    return 0;
}
