// Times the folder scan on a generated tree against `find DIR -type f`, and measures the
// longest time the event loop goes unserved while the scan runs on the GUI thread.
//
//   build/bench/bench_folderscan [top-folders sub-folders-each files-per-folder [keep-folder]]

#include "app/errorbox.h"
#include "app/form1.h"
#include "fakes.h"
#include "gapmeter.h"
#include "intake/addfolder.h"
#include "platform/filesystem.h"
#include "scratchhome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Tree {
    int folders = 0;
    int files = 0;
};

// `top` folders under the root, each with `subs` sub-folders, and `perFolder` files in each of
// them: 40, 49 and 50 give 2,000 folders with 100,000 files.
Tree Generate(const QString& root, int top, int subs, int perFolder) {
    Tree tree;
    auto fill = [&](const QString& folder) {
        QDir().mkpath(folder);
        ++tree.folders;
        for (int f = 0; f < perFolder; ++f, ++tree.files)
            platform::WriteFileBytes(folder + QStringLiteral("/file%1.eps").arg(f), "%!PS\n");
    };
    for (int t = 0; t < top; ++t) {
        const QString upper = root + QStringLiteral("/dir%1").arg(t);
        fill(upper);
        for (int s = 0; s < subs; ++s)
            fill(upper + QStringLiteral("/sub%1").arg(s));
    }
    return tree;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeFind(const QString& root, int& count) {
    QElapsedTimer clock;
    clock.start();
    QProcess find;
    find.start(QStringLiteral("find"), {root, QStringLiteral("-type"), QStringLiteral("f")});
    find.waitForFinished(-1);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    count = int(find.readAllStandardOutput().count('\n'));
    return ms;
}

// Runs the scan inside the event loop, with a 1 ms timer noting the longest gap between its
// ticks; returns the scan's time and fills the gap and the number of files found.
double TimeScan(const QString& root, qint64& longestGapMs, int& count) {
    testing::FakeDialogs dialogs;
    testing::GapMeter gaps;
    double ms = 0;
    count = 0;
    QTimer::singleShot(0, [&] {
        gaps.start();
        QElapsedTimer clock;
        clock.start();
        AddFolder::AppendFilesOfTree(
            root, QStringLiteral("*.*"),
            errorreport::Showing(dialogs, nullptr, errorreport::labels::GetSubDirectories2016),
            [&](const QString&) { ++count; });
        ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        gaps.stop();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    longestGapMs = gaps.longestMs();
    return ms;
}

// The same scan through the window: "Add All EPS File(s) In Folder" with "*" and the tree's
// folder scripted, appending to the shown job list.
double TimeWindowScan(const QString& root, qint64& longestGapMs, int& count) {
    testing::ScratchHome home;
    testing::FakeServices fakes;
    Form1 form(fakes.services());
    form.show();
    QCoreApplication::processEvents();
    fakes.dialogs.inputs.enqueue(QStringLiteral("*"));
    fakes.dialogs.folders.enqueue(root);
    testing::GapMeter gaps;
    gaps.start();
    QElapsedTimer clock;
    clock.start();
    form.PushButton3_Click();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    gaps.stop();
    longestGapMs = gaps.longestMs();
    count = form.ItemCount();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int top = argc > 1 ? std::atoi(argv[1]) : 40;
    const int subs = argc > 2 ? std::atoi(argv[2]) : 49;
    const int perFolder = argc > 3 ? std::atoi(argv[3]) : 50;

    // A fourth argument keeps the tree in that folder, so later runs can reuse it.
    QTemporaryDir dir;
    const QString root =
        (argc > 4 ? QString::fromLocal8Bit(argv[4]) : dir.path()) + QStringLiteral("/tree");
    QElapsedTimer clock;
    clock.start();
    const Tree tree = QDir(root).exists() ? Tree{top + top * subs, (top + top * subs) * perFolder}
                                          : Generate(root, top, subs, perFolder);
    std::printf("tree: %d folders, %d files (generated in %.0f ms)\n", tree.folders, tree.files,
                static_cast<double>(clock.elapsed()));

    int found = 0;
    TimeFind(root, found); // warm the caches
    std::vector<double> findTimes, scanTimes;
    qint64 worstGap = 0;
    for (int run = 0; run < 5; ++run) {
        findTimes.push_back(TimeFind(root, found));
        qint64 gap = 0;
        int scanned = 0;
        scanTimes.push_back(TimeScan(root, gap, scanned));
        worstGap = std::max(worstGap, gap);
        if (scanned != tree.files || found != tree.files)
            std::printf("count mismatch: scan %d, find %d\n", scanned, found);
    }
    const double findMs = Median(findTimes), scanMs = Median(scanTimes);
    std::printf("find -type f: %.1f ms (median of 5)\n", findMs);
    std::printf("scan:         %.1f ms (median of 5), %.2fx find\n", scanMs, scanMs / findMs);
    std::printf("longest event-loop gap during the scans: %lld ms\n",
                static_cast<long long>(worstGap));

    qint64 windowGap = 0;
    int listed = 0;
    const double windowMs = TimeWindowScan(root, windowGap, listed);
    std::printf("through the window (Add All, \"*\"): %.1f ms, %.2fx find, %d rows, longest "
                "gap %lld ms\n",
                windowMs, windowMs / findMs, listed, static_cast<long long>(windowGap));

    // A deep, narrow tree: the collection must not cost the square of the depth.
    const int depth = 1000;
    QString deep = dir.path() + QStringLiteral("/deep");
    for (int level = 0; level < depth; ++level)
        deep += QStringLiteral("/d");
    QDir().mkpath(deep);
    qint64 gap = 0;
    int scanned = 0;
    const double deepMs = TimeScan(dir.path() + QStringLiteral("/deep"), gap, scanned);
    std::printf("chain of %d nested folders: %.1f ms, longest gap %lld ms\n", depth, deepMs,
                static_cast<long long>(gap));
    return 0;
}
