// The conversion run on small drawings (the samples, copied until there are as many as asked),
// driven in-process with scripted dialogs, with 1, 2 and all the Ghostscripts the machine lets
// work at once; each against the same Ghostscript command in a shell loop one after another and
// under `xargs -P N`, in one sitting; and the longest time the window went without serving
// events during each run. A folder of other drawings (real ones, say) and a resolution may be
// given instead of the samples and 72 dpi.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_conversion [files [folder [dpi]]]
#include "app/form1.h"
#include "app/settings.h"
#include "converting.h"
#include "fakes.h"
#include "formfixture.h"
#include "gapmeter.h"
#include "platform/environment.h"
#include "platform/launcher.h"
#include "scratchhome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <cstdio>

namespace {

// The command the shipped launcher runs for the batch line, text smoothing included.
QString GhostscriptCommand = QStringLiteral(
    "gs -dTextAlphaBits=4 -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg -dJPEGQ=75 -dDOINTERPOLATE "
    "-dGraphicsAlphaBits=4 -dEPSCrop");

double TimeShell(const QString& script) {
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    return static_cast<double>(clock.elapsed());
}

// Each file after the other, as a shell loop runs them.
double TimeLoop(const QString& sources, const QString& work) {
    return TimeShell(QStringLiteral("cd '%1' && for f in '%2'/*.eps; do %3 "
                                    "-sOutputFile=\"$(basename \"$f\").jpg\" \"$f\" "
                                    ">/dev/null 2>&1; done")
                         .arg(work, sources, GhostscriptCommand));
}

// `jobs` at once, as `xargs -P` runs them.
double TimeXargs(const QString& sources, const QString& work, int jobs) {
    return TimeShell(QStringLiteral("cd '%1' && ls '%2'/*.eps | xargs -P %3 -I{} sh -c "
                                    "'%4 -sOutputFile=\"$(basename \"{}\").jpg\" \"{}\" "
                                    ">/dev/null 2>&1'")
                         .arg(work, sources)
                         .arg(jobs)
                         .arg(GhostscriptCommand));
}

struct RunTime {
    double ms = 0;
    qint64 longestGapMs = 0;
    int made = 0;
};

// The window's run over `files` with at most `jobs` Ghostscripts at once.
RunTime TimeRun(const QStringList& files, const QString& out, int jobs) {
    for (const QString& pdf : QDir(out).entryList({QStringLiteral("*.pdf")}))
        QFile::remove(out + QLatin1Char('/') + pdf);
    settings::WriteSetting(settings::Jobs, QString::number(jobs));
    testing::FakeServices fakes;
    platform::PosixLauncher launcher(QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
    auto services = fakes.services();
    services.launcher = &launcher;
    Form1 form(services);
    form.show();
    testing::Controls ui = testing::ControlsOf(form);
    ui.Text1->setText(out + QLatin1Char('/'));
    for (const QString& file : files)
        form.AddToList(file);
    QApplication::processEvents(); // the first paint of the window is not part of the run

    testing::GapMeter gaps;
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    form.PushButton2_Click();
    testing::WaitUntil([&] { return !ui.Converting; }, 3600000);
    gaps.stop();
    return {static_cast<double>(clock.elapsed()), gaps.longestMs(),
            static_cast<int>(QDir(out).entryList({QStringLiteral("*.pdf")}).size())};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 60;
    testing::ScratchHome home;
    const QString sources = home.makeFolder(QStringLiteral("sources"));
    const QString out = home.makeFolder(QStringLiteral("out"));
    const QString work = home.makeFolder(QStringLiteral("shell"));
    const QString samples = QStringLiteral(PELLARINE_APP_FOLDER "/Samples");
    const QString from = argc > 2 ? QString::fromLocal8Bit(argv[2]) : samples;
    const QStringList names = QDir(from).entryList({QStringLiteral("*.eps")}, QDir::Files);
    QStringList files;
    for (int k = 0; k < count && !names.isEmpty(); ++k) {
        const QString copy =
            sources +
            QStringLiteral("/%1-%2").arg(k, 3, 10, QLatin1Char('0')).arg(names[k % names.size()]);
        QFile::copy(from + QLatin1Char('/') + names[k % names.size()], copy);
        files << copy;
    }
    const int dpi = argc > 3 ? std::atoi(argv[3]) : 72;
    settings::WriteSetting(settings::Resolution, QString::number(dpi));
    if (dpi != 72)
        GhostscriptCommand += QStringLiteral(" -r%1").arg(dpi);
    const int cores = platform::UsableCores();
    std::printf("%lld drawings at %d dpi, %d cores the program may use\n",
                static_cast<long long>(files.size()), dpi, cores);
    std::printf("%-6s %-14s %-14s %-14s %-10s %-10s %s\n", "N", "shell loop", "xargs -P N",
                "window", "window/loop", "longest gap", "PDFs");
    QList<int> counts{1, 2};
    if (cores > 2)
        counts << cores;
    for (const int jobs : counts) {
        const double loop = TimeLoop(sources, work);
        const double xargs = TimeXargs(sources, work, jobs);
        const RunTime run = TimeRun(files, out, jobs);
        std::printf("%-6d %8.0f ms    %8.0f ms    %8.0f ms    %6.2f     %4lld ms    %d\n", jobs,
                    loop, xargs, run.ms, run.ms / loop, static_cast<long long>(run.longestGapMs),
                    run.made);
    }
    return 0;
}
