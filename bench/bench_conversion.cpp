// The conversion run on the samples ×10, driven in-process with scripted dialogs, against a
// shell loop of the same Ghostscript command on the same files; and the longest time the window
// went without serving events during the run.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_conversion [copies]
#include "app/form1.h"
#include "fakes.h"
#include "formfixture.h"
#include "gapmeter.h"
#include "platform/launcher.h"
#include "rasterise/rasterise.h"
#include "scratchhome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <cstdio>

using testing::ControlsOf;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int copies = argc > 1 ? std::atoi(argv[1]) : 10;
    testing::ScratchHome home;
    const QString sources = home.makeFolder(QStringLiteral("sources"));
    const QString out = home.makeFolder(QStringLiteral("out"));
    const QString samples = QStringLiteral(PELLARINE_APP_FOLDER "/Samples");
    QStringList files;
    for (int c = 0; c < copies; ++c)
        for (const QString& name :
             QDir(samples).entryList({QStringLiteral("*.eps")}, QDir::Files)) {
            const QString copy = sources + QStringLiteral("/%1-%2").arg(c).arg(name);
            QFile::copy(samples + QLatin1Char('/') + name, copy);
            files << copy;
        }

    // Ghostscript alone, one process per file, as a shell loop would run it: the command the
    // shipped launcher runs, text smoothing included.
    const QString loopDir = home.makeFolder(QStringLiteral("loop"));
    QString script = QStringLiteral("cd '%1' && for f in '%2'/*.eps; do gs -dTextAlphaBits=4 "
                                    "-dSAFER -dBATCH "
                                    "-dNOPAUSE -sDEVICE=jpeg -dJPEGQ=75 -dDOINTERPOLATE "
                                    "-dGraphicsAlphaBits=4 -dEPSCrop -sOutputFile=current.jpg "
                                    "\"$f\" >/dev/null 2>&1; done")
                         .arg(loopDir, sources);
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    const double loopMs = static_cast<double>(clock.elapsed());

    testing::FakeServices fakes;
    platform::PosixLauncher launcher(QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
    auto services = fakes.services();
    services.launcher = &launcher;
    Form1 form(services);
    form.show();
    ControlsOf(form).Text1->setText(out + QLatin1Char('/'));
    for (const QString& file : files)
        form.AddToList(file);
    QApplication::processEvents(); // the first paint of the window is not part of the run

    testing::GapMeter gaps;
    clock.restart();
    gaps.start();
    form.PushButton2_Click();
    gaps.stop();
    const double runMs = static_cast<double>(clock.elapsed());

    const int made = static_cast<int>(QDir(out).entryList({QStringLiteral("*.pdf")}).size());
    const int n = static_cast<int>(files.size());
    std::printf("%d files (%d PDFs made)\n", n, made);
    std::printf("shell loop of gs: %.0f ms (%.1f ms per file)\n", loopMs, loopMs / n);
    std::printf("conversion run:   %.0f ms (%.1f ms per file, %.1f ms over gs per file)\n", runMs,
                runMs / n, (runMs - loopMs) / n);
    std::printf("longest time without serving events: %lld ms (%d gaps over 50 ms)\n",
                static_cast<long long>(gaps.longestMs()), gaps.gapsOver50Ms());
    std::printf("closing message: %s\n", qPrintable(fakes.dialogs.messages().value(0)));
    return 0;
}
