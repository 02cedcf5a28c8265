// Job list at scale: appending a million paths through AddToList into the shown window,
// IsInList on a 100,000-row list, and "Load Sample/Example Files" with 40,000 samples (twice: the
// second time every sample is listed already). Run:
// QT_QPA_PLATFORM=offscreen build/bench/bench_joblist
#include "app/form1.h"
#include "fakes.h"
#include "scratchhome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

long PeakMemoryKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QString PathNumber(int i) {
    // About 60 characters, like a real project path.
    return QStringLiteral("/home/someone/projects/illustrations/2026/batch-%1/drawing.eps")
        .arg(i, 7, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::ScratchHome home;
    testing::FakeServices fakes;

    const long before = PeakMemoryKiB();
    {
        Form1 form(fakes.services());
        form.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 1'000'000; ++i)
            form.AddToList(PathNumber(i));
        QApplication::processEvents();
        const qint64 appendMs = timer.elapsed();
        std::printf("append 1,000,000 paths (%d chars each): %lld ms, peak memory %ld MB "
                    "(%ld MB before)\n",
                    static_cast<int>(PathNumber(0).size()), static_cast<long long>(appendMs),
                    PeakMemoryKiB() / 1024, before / 1024);
    }
    {
        Form1 form(fakes.services());
        for (int i = 0; i < 100'000; ++i)
            form.AddToList(PathNumber(i));
        QElapsedTimer timer;
        timer.start();
        const int rounds = 100;
        int found = 0;
        for (int r = 0; r < rounds; ++r)
            found += form.IsInList(PathNumber(99'999 - r * 7)) ? 1 : 0; // near the end
        const double perCall = static_cast<double>(timer.nsecsElapsed()) / rounds / 1e3;
        std::printf("IsInList on 100,000 rows: %.2f us per call (%d found)\n", perCall, found);
    }
    {
        // An application folder whose Samples folder holds 40,000 small files.
        const QString application = home.makeFolder(QStringLiteral("application"));
        const QString samples = home.makeFolder(QStringLiteral("application/Samples"));
        for (int i = 0; i < 40'000; ++i)
            testing::WriteFile(samples + QStringLiteral("/sample-%1.eps").arg(i), "%!PS\n");
        app::Services services = fakes.services();
        services.applicationFolder = application;
        Form1 form(services);
        form.show();
        QApplication::processEvents();
        for (int round = 1; round <= 2; ++round) {
            QElapsedTimer timer;
            timer.start();
            form.PushButton7_Click(); // the question that follows is answered No at once
            QApplication::processEvents();
            std::printf("Load Sample/Example Files with 40,000 samples, %s: %lld ms (%d rows)\n",
                        round == 1 ? "list empty" : "all listed already",
                        static_cast<long long>(timer.elapsed()), form.ItemCount());
        }
    }
    return 0;
}
