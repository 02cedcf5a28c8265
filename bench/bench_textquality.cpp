// How close the PDFs come to Ghostscript's smoothed rendering of their drawings. Every EPS of a
// folder (bench/make_drawings.py writes one) is converted through the window at the default
// quality; each PDF's page is rendered again at 72 dpi and compared, by the structural
// similarity (SSIM) of its grey levels, with the drawing rendered at 72 dpi with text and lines
// smoothed. Once with the shipped Ghostscript launcher and once with one that leaves text
// unsmoothed, for comparison.
// Run: python3 bench/make_drawings.py /tmp/drawings
//      QT_QPA_PLATFORM=offscreen build/bench/bench_textquality /tmp/drawings [quality]
#include "app/form1.h"
#include "fakes.h"
#include "platform/launcher.h"
#include "scratchhome.h"

#include <QApplication>
#include <QDir>
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

namespace {

// Ghostscript's rendering of `source` (an EPS or a PDF's first page) at 72 dpi, lossless.
QImage Render(const QString& source, const QString& png, const QStringList& switches) {
    QProcess::execute(QStringLiteral("gs"),
                      QStringList{"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m",
                                  "-r72", "-dFirstPage=1", "-dLastPage=1", "-sOutputFile=" + png} +
                          switches + QStringList{source});
    return QImage(png);
}

// A Gaussian blur (11 by 11, sigma 1.5) of grey levels, over the part of the image where the
// whole window fits.
std::vector<double> Blur(const std::vector<double>& v, int w, int h) {
    double kernel[11], sum = 0;
    for (int i = 0; i < 11; ++i)
        sum += kernel[i] = std::exp(-(i - 5) * (i - 5) / (2 * 1.5 * 1.5));
    const int ow = w - 10, oh = h - 10;
    std::vector<double> across(size_t(ow) * size_t(h)), out(size_t(ow) * size_t(oh));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            for (int i = 0; i < 11; ++i)
                s += kernel[i] * v[size_t(y * w + x + i)];
            across[size_t(y * ow + x)] = s / sum;
        }
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            for (int i = 0; i < 11; ++i)
                s += kernel[i] * across[size_t((y + i) * ow + x)];
            out[size_t(y * ow + x)] = s / sum;
        }
    return out;
}

// The mean structural similarity of two images' grey levels, over the size they share.
double Ssim(const QImage& a, const QImage& b) {
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    if (w < 11 || h < 11)
        return 0;
    std::vector<double> x, y, xx, yy, xy;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const double p = qGray(a.pixel(c, r)), q = qGray(b.pixel(c, r));
            x.push_back(p), y.push_back(q), xx.push_back(p * p), yy.push_back(q * q);
            xy.push_back(p * q);
        }
    const auto mx = Blur(x, w, h), my = Blur(y, w, h), mxx = Blur(xx, w, h), myy = Blur(yy, w, h),
               mxy = Blur(xy, w, h);
    const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0;
    for (size_t i = 0; i < mx.size(); ++i) {
        const double vx = mxx[i] - mx[i] * mx[i], vy = myy[i] - my[i] * my[i],
                     cxy = mxy[i] - mx[i] * my[i];
        total += (2 * mx[i] * my[i] + c1) * (2 * cxy + c2) /
                 ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2));
    }
    return total / double(mx.size());
}

// Converts `files` through the window with the launcher of `application`, into `out`, at the
// default quality or at `quality`.
void Convert(const QStringList& files, const QString& application, const QString& out,
             int quality) {
    testing::FakeServices fakes;
    platform::PosixLauncher launcher(QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
    auto services = fakes.services();
    services.launcher = &launcher;
    services.applicationFolder = application;
    Form1 form(services);
    form.Text1->setText(out + QLatin1Char('/'));
    if (quality >= 0)
        form.Slider1->setValue(quality);
    for (const QString& file : files)
        form.AddToList(file);
    form.PushButton2_Click();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_textquality FOLDER-OF-EPS-FILES [QUALITY]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QStringList files;
    for (const QString& name : folder.entryList({QStringLiteral("*.eps")}, QDir::Files))
        files << folder.absoluteFilePath(name);
    testing::ScratchHome home;
    const QString png = home.path() + QStringLiteral("/page.png");
    const QString plain = testing::ApplicationFolderWithLauncher(home, "exec gs \"$@\"");
    const QStringList launchers{QStringLiteral(PELLARINE_APP_FOLDER), plain};
    QMap<QString, std::vector<double>> scores[2]; // by kind: text, plot, raster, and all
    std::printf("%-36s %8s %8s\n", "drawing", "shipped", "no text AA");
    std::vector<std::pair<QString, double>> rows;
    for (int l = 0; l < 2; ++l)
        Convert(files, launchers[l], home.makeFolder(QStringLiteral("out%1").arg(l)),
                argc > 2 ? std::atoi(argv[2]) : -1);
    for (const QString& file : files) {
        const QImage reference =
            Render(file, png,
                   {"-dEPSCrop", "-dDOINTERPOLATE", "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4"});
        const QString name = QFileInfo(file).completeBaseName();
        double s[2];
        for (int l = 0; l < 2; ++l) {
            const QString pdf = home.path() + QStringLiteral("/out%1/%2.pdf").arg(l).arg(name);
            s[l] = Ssim(Render(pdf, png, {}), reference);
            scores[l][name.section(QLatin1Char('-'), 0, 0)].push_back(s[l]);
            scores[l][QStringLiteral("all")].push_back(s[l]);
        }
        std::printf("%-36s %8.4f %8.4f\n", qPrintable(name), s[0], s[1]);
    }
    for (const QString& kind : scores[0].keys())
        for (int l = 0; l < 2; ++l) {
            const auto& v = scores[l][kind];
            std::printf("%-7s %-10s %2zu drawings: median %.4f, lowest %.4f\n", qPrintable(kind),
                        l == 0 ? "shipped" : "no text AA", v.size(), Median(v),
                        *std::min_element(v.begin(), v.end()));
        }
    return 0;
}
