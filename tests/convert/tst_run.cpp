// The conversion run without the window: real Ghostscript through the real batch interpreter,
// the PDF Writer stand-in, real PDF files checked with poppler; the run followed by its signals.
#include "convert/run.h"
#include "convert/runlock.h"
#include "converting.h"
#include "fakelauncher.h"
#include "fakes.h"
#include "pdfprobe.h"
#include "pdfwriter/writer.h"
#include "platform/launcher.h"
#include "rasterise/rasterise.h"
#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using testing::SquareEps;

namespace {

const QString SamplesFolder = QStringLiteral(PELLARINE_APP_FOLDER "/Samples");

} // namespace

class TestRun : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> home;
    std::unique_ptr<testing::FakeServices> fakes;
    std::unique_ptr<testing::RecordingLauncher> launcher;
    QStringList jobs;
    item::Destination destination;
    int timeLimitMs = 60000;
    int cores = 1; // how many Ghostscripts the run may let work at once
    QString out;
    // What the last run told: its failures as "step: description", and its closing message.
    QStringList reports;
    QString message, details;
    std::function<void(int item)> atItem; // runs when an item takes its turn
    std::function<void()> onPrint;        // runs when the PDF Writer is given a page
    // The real PDF Writer, doing `onPrint` first.
    platform::SystemPrinting printing{{{QStringLiteral("Marrowind PDF Writer"),
                                        [this](const QString& jpeg, const QString& title) {
                                            if (onPrint)
                                                onPrint();
                                            pdfwriter::AsPrinter(fakes->dialogs).print(jpeg, title);
                                        }}}};

    std::unique_ptr<run::Conversion> make() {
        auto conversion = std::make_unique<run::Conversion>(
            run::JobSource{[this] { return int(jobs.size()); },
                           [this](int i) { return jobs.value(i - 1); }, [] { return 75; },
                           [this] { return destination; }, [] { return 72; }},
            run::Equipment{*launcher, fakes->printers, printing,
                           QStringLiteral(PELLARINE_APP_FOLDER), timeLimitMs, 1LL << 30, cores});
        connect(conversion.get(), &run::Conversion::itemStarted, this, [this](int i) {
            if (atItem)
                atItem(i);
        });
        connect(conversion.get(), &run::Conversion::failed, this,
                [this](int step, const QString& what) {
                    reports << QString::number(step) + QStringLiteral(": ") + what;
                });
        connect(conversion.get(), &run::Conversion::finished, this,
                [this](const QString& m, const QString& d) {
                    message = m;
                    details = d;
                });
        return conversion;
    }
    void convert() { testing::RunToEnd(*make()); }
    QString source(const QString& name, const QByteArray& content = SquareEps) {
        const QString path = home->path() + QStringLiteral("/src/") + name;
        testing::WriteFile(path, content);
        return path;
    }

private slots:
    void init() {
        home = std::make_unique<testing::ScratchHome>();
        fakes = std::make_unique<testing::FakeServices>();
        launcher = std::make_unique<testing::RecordingLauncher>();
        out = home->makeFolder(QStringLiteral("out folder"));
        destination = {out + QLatin1Char('/'), false};
        jobs.clear();
        reports.clear();
        message.clear();
        details.clear();
        timeLimitMs = 60000;
        cores = 1;
        atItem = {};
        onPrint = {};
    }
    void cleanup() {
        launcher.reset();
        fakes.reset();
        home.reset();
    }

    void samples_becomeOnePagePdfs_itemByItemInListOrder() {
        for (const QString& name : QDir(SamplesFolder).entryList({"*.eps"}, QDir::Files))
            jobs << SamplesFolder + QLatin1Char('/') + name;
        auto conversion = make();
        QSignalSpy started(conversion.get(), &run::Conversion::itemStarted);
        QSignalSpy done(conversion.get(), &run::Conversion::itemDone);
        testing::RunToEnd(*conversion);
        QCOMPARE(message, QStringLiteral("Done."));
        QCOMPARE(details, QString());
        QCOMPARE(started.size(), jobs.size());
        for (int i = 0; i < jobs.size(); ++i) {
            QCOMPARE(started[i], (QVariantList{i + 1, int(jobs.size()), jobs[i]}));
            QCOMPARE(done[i][2].toBool(), true);
            const QString pdf =
                out + QLatin1Char('/') + QFileInfo(jobs[i]).completeBaseName() + ".pdf";
            QVERIFY2(testing::PdfPages(pdf) == 1, qPrintable(pdf));
        }
        QVERIFY(reports.isEmpty());
    }

    // Two Ghostscripts at once: each PDF holds its own drawing, and the items, a failure among
    // them, take their turns in list order.
    void twoAtOnce_eachPdfHoldsItsOwnDrawing_andTurnsFollowTheList() {
        cores = 2;
        const QList<QSize> sizes{{40, 40}, {90, 30}, {0, 0}, {30, 70}, {50, 20}};
        for (int k = 0; k < sizes.size(); ++k)
            jobs << source(QStringLiteral("d%1.eps").arg(k),
                           sizes[k].isEmpty()
                               ? QByteArray("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: "
                                            "0 0 9 9\nnosuchoperator\n")
                               : testing::Drawing(sizes[k].width(), sizes[k].height()));
        auto conversion = make();
        QList<int> order;
        connect(conversion.get(), &run::Conversion::itemStarted, this,
                [&](int index) { order << index; });
        connect(conversion.get(), &run::Conversion::itemDone, this,
                [&](int index) { order << -index; });
        testing::RunToEnd(*conversion);
        QCOMPARE(order, (QList<int>{1, -1, 2, -2, 3, -3, 4, -4, 5, -5}));
        QVERIFY2(message.startsWith("Done.\r\n\r\n1 of 5 files produced no PDF:\r\nd2.eps: "),
                 qPrintable(message));
        for (int k = 0; k < sizes.size(); ++k)
            if (!sizes[k].isEmpty())
                QCOMPARE(testing::PageSize(out + QStringLiteral("/d%1.pdf").arg(k)),
                         QStringLiteral("%1 x %2").arg(sizes[k].width()).arg(sizes[k].height()));
        QVERIFY(QFile::exists(rasterise::BatchFilePath(1))); // the second working folder
    }

    // A stop ends the Ghostscripts working ahead at once; the item whose turn it is is finished.
    void aStop_endsTheGhostscriptsWorkingAhead() {
        cores = 2;
        jobs << source(QStringLiteral("a.eps"))
             << source(QStringLiteral("endless.eps"), testing::LoopingEps)
             << source(QStringLiteral("c.eps"));
        auto conversion = make();
        // Both Ghostscripts at work, the first item holding its turn: then the stop.
        connect(conversion.get(), &run::Conversion::itemStarted, conversion.get(),
                [running = conversion.get()](int index) {
                    if (index == 1)
                        running->hold();
                });
        launcher->onStart = [&, running = conversion.get()] {
            if (launcher->started.size() == 1)
                QTimer::singleShot(300, running, [running] {
                    running->stopAfterCurrentItem();
                    running->release();
                });
        };
        bool aheadLeft = true;
        connect(conversion.get(), &run::Conversion::finished, this, [&] {
            aheadLeft = std::any_of(launcher->started.cbegin(), launcher->started.cend(),
                                    [](qint64 pid) { return testing::ProcessGroupExists(pid); });
        });
        testing::RunToEnd(*conversion);
        QVERIFY(launcher->started.size() >= 2); // the endless drawing among them
        QVERIFY(!aheadLeft);
        QCOMPARE(message, QStringLiteral("Done.\r\n\r\n2 of 3 files produced no PDF:\r\n"
                                         "endless.eps: not converted: the run was stopped\r\n"
                                         "c.eps: not converted: the run was stopped"));
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/a.pdf")), 1);
    }

    void aDrawingOfThreePages_becomesAPdfOfThreePages_inTheirOrder() {
        jobs << source(QStringLiteral("three.eps"),
                       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n"
                       "[[1 0 0] [0 1 0] [0 0 1]] { aload pop setrgbcolor 0 0 40 40 rectfill "
                       "showpage } forall\n");
        convert();
        QCOMPARE(message, QStringLiteral("Done."));
        const QString pdf = out + QStringLiteral("/three.pdf");
        QCOMPARE(testing::PdfPages(pdf), 3);
        const QList<QColor> expected{Qt::red, Qt::green, Qt::blue};
        for (int page = 1; page <= 3; ++page) {
            const QColor colour = testing::PageColour(pdf, page);
            QVERIFY2(qAbs(colour.red() - expected[page - 1].red()) < 40 &&
                         qAbs(colour.green() - expected[page - 1].green()) < 40,
                     qPrintable(colour.name()));
        }
    }

    void besideTheSources_withDotsAndBlanksInNames_andAnOldPdfReplaced() {
        jobs << source(QStringLiteral("my art/site.old.eps"))
             << source(QStringLiteral("my art/blue square.eps"));
        const QString art = home->path() + QStringLiteral("/src/my art");
        testing::WriteFile(art + QStringLiteral("/blue square.pdf"), "an older PDF");
        destination = {QStringLiteral("/no/such/folder/"), true}; // not needed beside sources
        convert();
        QCOMPARE(message, QStringLiteral("Done."));
        QCOMPARE(testing::PdfPages(art + QStringLiteral("/site.old.pdf")), 1);
        QCOMPARE(testing::PdfPages(art + QStringLiteral("/blue square.pdf")), 1);
        QCOMPARE(QDir(art).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    // A run that cannot start says why and touches nothing.
    void refusals_data() {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("closing");
        QTest::newRow("empty list") << false << ""
                                    << "No files added.";
        QTest::newRow("no folder") << true << ""
                                   << "Folder does not exist. Please select another folder.";
        QTest::newRow("missing folder") << true << "/no/such/folder/"
                                        << "Folder does not exist. Please select another folder.";
        QTest::newRow("folder that cannot be written")
            << true << "/proc/"
            << "The folder /proc/ cannot be written to. Please select another folder.";
    }
    void refusals() {
        QFETCH(bool, listed);
        QFETCH(QString, folder);
        if (listed)
            jobs << SamplesFolder + QStringLiteral("/line-art.eps");
        destination = {folder, false};
        convert();
        QTEST(message, "closing");
        QVERIFY(reports.isEmpty());
        QVERIFY(!QFileInfo::exists(rasterise::WorkingFolder()));
    }

    void failingItems_areCounted_whileTheOthersConvert() {
        jobs << source(QStringLiteral("good.eps"))
             << source(QStringLiteral("rejected.eps"), "this is not PostScript at all")
             << source(QStringLiteral("forever.eps"), testing::LoopingEps)
             << source(QStringLiteral("noextension")) << source(QStringLiteral("deleted.eps"))
             << source(QStringLiteral("last.eps"));
        QFile::remove(jobs[4]);
        timeLimitMs = 2000;
        convert();
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/good.pdf")), 1);
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/last.pdf")), 1);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
        // The name without "." and the vanished source are told as they happen, naming them.
        QCOMPARE(reports.size(), 2);
        QVERIFY2(reports[0].startsWith(QStringLiteral("128: The file name %1").arg(jobs[3])),
                 qPrintable(reports[0]));
        QVERIFY(reports[1].startsWith(QStringLiteral("134: The file %1").arg(jobs[4])));
        QVERIFY2(message.startsWith(QStringLiteral(
                     "Done.\r\n\r\n4 of 6 files produced no PDF:\r\nrejected.eps: it is not a "
                     "PostScript drawing: it is plain text without a PostScript header (\"%!\"). "
                     "Ghostscript said: \"Error: /undefined in this\"\r\nforever.eps: stopped: "
                     "Ghostscript had not finished after 2 s\r\nnoextension: ")),
                 qPrintable(message));
        const QStringList lines = details.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].startsWith(jobs[4] + QStringLiteral(": it could not be copied")));
        QVERIFY(!QFileInfo::exists(rasterise::CurrentEpsPath()));
        QVERIFY(!QFileInfo::exists(rasterise::CurrentJpgPath()));
    }

    // Ten sources in ten folders that are gone are one kind of failure: one box, whatever
    // folder each is about. The closing message names the first five, counts the rest and the
    // boxes not shown; the details name them all.
    void vanishedFolders_oneBox_fiveNamed_allInTheDetails() {
        for (int k = 1; k <= 10; ++k)
            jobs << home->path() + QStringLiteral("/gone%1/fig.eps").arg(k);
        convert();
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(QStringLiteral("134: The file %1").arg(jobs[0])));
        reports.clear();
        const QStringList lines = message.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(0, 3), (QStringList{"Done.", "", "10 of 10 files produced no PDF:"}));
        QCOMPARE(lines.size(), 3 + 5 + 1 + 2);
        // One name in many folders: each named with its folder.
        QVERIFY(lines[3].startsWith(QStringLiteral("gone1/fig.eps: it could not be copied")));
        QVERIFY(lines[7].startsWith(QStringLiteral("gone5/fig.eps: ")));
        QCOMPARE(lines[8], QStringLiteral("and 5 more (Show Details... lists them all)"));
        QVERIFY(lines[10].startsWith(QStringLiteral("9 more failures like one already shown")));
        const QStringList detailed = details.split(QStringLiteral("\r\n"));
        QCOMPARE(detailed.size(), 10);
        for (int k = 0; k < 10; ++k)
            QVERIFY(detailed[k].startsWith(jobs[k] + ": "));
    }

    // A cause that fails every item is shown once; the items are counted with their reason.
    void oneCause_oneBox_data() {
        QTest::addColumn<QString>("cause");
        QTest::newRow("output folder removed during the run") << "folder";
        QTest::newRow("the output folder's box emptied during the run") << "box";
        QTest::newRow("the PDF Writer's store cannot be written") << "store";
    }
    void oneCause_oneBox() {
        QFETCH(QString, cause);
        for (int k = 0; k < 6; ++k)
            jobs << source(QStringLiteral("d%1.eps").arg(k));
        const QString store =
            home->configFolder() + QStringLiteral("/Software/Marrowind PDF Writer.ini");
        if (cause == QLatin1String("store"))
            home->makeFolder(QStringLiteral("home/.config/Software/Marrowind PDF Writer.ini"));
        auto conversion = make();
        connect(conversion.get(), &run::Conversion::itemDone, this, [&] {
            if (cause == QLatin1String("folder"))
                QDir(out).removeRecursively();
            if (cause == QLatin1String("box"))
                destination = {QString(), false};
        });
        testing::RunToEnd(*conversion);
        QVERIFY2(reports.size() == 1, qPrintable(reports.join(QStringLiteral("\n----\n"))));
        const QString named = cause == QLatin1String("store") ? store
                              : cause == QLatin1String("box") ? QStringLiteral("No output folder")
                                                              : out;
        QVERIFY2(reports[0].contains(named), qPrintable(reports[0]));
        reports.clear();
        QVERIFY2(message.contains(QStringLiteral("of 6 files produced no PDF")),
                 qPrintable(message));
    }

    // The same failure number in two statements is two causes: a source whose folder is a file
    // and then an emptied output folder's box both fail with "path not found".
    void oneNumberInTwoStatements_twoBoxes() {
        testing::WriteFile(home->path() + QStringLiteral("/plain"), "a file, not a folder");
        jobs << home->path() + QStringLiteral("/plain/x.eps") << source(QStringLiteral("y.eps"));
        auto conversion = make();
        connect(conversion.get(), &run::Conversion::itemDone, this, [&] {
            destination = {QString(), false};
        });
        testing::RunToEnd(*conversion);
        QCOMPARE(reports.size(), 2);
        reports.clear();
    }

    void stopped_afterTheCurrentItem_theRestCounted() {
        for (int k = 0; k < 3; ++k)
            jobs << source(QStringLiteral("s%1.eps").arg(k));
        auto conversion = make();
        connect(conversion.get(), &run::Conversion::itemStarted, conversion.get(),
                &run::Conversion::stopAfterCurrentItem);
        testing::RunToEnd(*conversion);
        QCOMPARE(message, QStringLiteral("Done.\r\n\r\n2 of 3 files produced no PDF:\r\n"
                                         "s1.eps: not converted: the run was stopped\r\n"
                                         "s2.eps: not converted: the run was stopped"));
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/s0.pdf")), 1);
    }

    // The loop's bound is the count at the start; the output options are read for every item.
    void rowsAddedDuringTheRun_wait_andTheOptionsAreReadPerItem() {
        const QString beside = home->path() + QStringLiteral("/src");
        jobs << source(QStringLiteral("first.eps")) << source(QStringLiteral("second.eps"));
        auto conversion = make();
        connect(conversion.get(), &run::Conversion::itemDone, this, [&](int index) {
            if (index == 1) {
                jobs << source(QStringLiteral("late.eps"));
                destination = {QString(), true};
            }
        });
        testing::RunToEnd(*conversion);
        QCOMPARE(message, QStringLiteral("Done."));
        QVERIFY(QFile::exists(out + QStringLiteral("/first.pdf")));
        QVERIFY(QFile::exists(beside + QStringLiteral("/second.pdf")));
        QVERIFY(!QFile::exists(beside + QStringLiteral("/late.pdf")));
    }

    // Other windows may convert while the closing message is open; while one converts, this
    // run waits, and says so.
    void theLock_isHeldForTheItemsOnly() {
        jobs << source(QStringLiteral("a.eps"));
        auto conversion = make();
        bool freeAtTheEnd = false;
        connect(conversion.get(), &run::Conversion::finished, this,
                [&] { freeAtTheEnd = run::TryLockConversions() != nullptr; });
        testing::RunToEnd(*conversion);
        QVERIFY(freeAtTheEnd);

        auto other = run::TryLockConversions();
        QVERIFY(other);
        auto waiting = make();
        QSignalSpy waits(waiting.get(), &run::Conversion::waitingForOther);
        connect(waiting.get(), &run::Conversion::waitingForOther, this, [&] {
            if (waits.size() >= 3)
                other.reset();
        });
        testing::RunToEnd(*waiting);
        QVERIFY(waits.size() >= 3);
        QCOMPARE(message, QStringLiteral("Done."));
    }

    void missingGhostscript_isToldOnce_andEveryItemCounted() {
        jobs << SamplesFolder + QStringLiteral("/line-art.eps")
             << SamplesFolder + QStringLiteral("/gradient.eps");
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(home->makeFolder(QStringLiteral("empty-bin"))));
        convert();
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(QStringLiteral("112: Ghostscript was not found.")));
        QCOMPARE(message, QStringLiteral("Done.\r\n\r\n2 of 2 files produced no PDF:\r\n"
                                         "line-art.eps: %1\r\ngradient.eps: %1")
                              .arg(rasterise::NoGhostscript));
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

    void aListedPdf_isNeverReplacedByItsOwnConversion() {
        jobs << source(QStringLiteral("original.pdf"));
        destination = {QString(), true};
        convert();
        QFile kept(jobs[0]);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), SquareEps);
        QVERIFY(message.contains(QStringLiteral("1 of 1 file produced no PDF")));
    }

    void sameNamedSources_intoOneFolder_areNamedInTheClosingMessage() {
        const QString acme = home->path() + QStringLiteral("/src/clients/acme");
        const QString globex = home->path() + QStringLiteral("/src/clients/globex");
        jobs << source(QStringLiteral("clients/acme/logo.eps"), testing::Drawing(20, 20))
             << source(QStringLiteral("clients/globex/logo.eps"), testing::Drawing(60, 20))
             << source(QStringLiteral("clients/acme/plan.eps"), testing::Drawing(20, 20));
        jobs << jobs.last() // listed twice: written twice, but from one source
             << source(QStringLiteral("clients/acme/plan.EPS"), testing::Drawing(20, 60));
        testing::WriteFile(out + QStringLiteral("/old.pdf"), "before the run");
        convert();
        QCOMPARE(message,
                 QStringLiteral("Done.\r\n\r\nWritten more than once in this run, so an earlier "
                                "result was replaced:\r\n%1/logo.pdf now holds %2/logo.eps, not "
                                "%3/logo.eps\r\n%1/plan.pdf now holds %3/plan.EPS, not %3/plan.eps")
                     .arg(out, globex, acme));
        QCOMPARE(testing::PageSize(out + QStringLiteral("/logo.pdf")), QStringLiteral("60 x 20"));
    }

    // Eighty same-named results: the first five in the message, every one in its details.
    void manyReplacedPdfs_fiveNamed_allInTheDetails() {
        run::Summary summary{80, {}, {}, 0};
        for (int k = 1; k <= 80; ++k)
            summary.replaced.append({QStringLiteral("/out/x.pdf"),
                                     QStringLiteral("/v%1/x.eps").arg(k),
                                     QStringLiteral("/v%1/x.eps").arg(k - 1)});
        const QStringList lines = run::ClosingMessage(summary).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3 + 5 + 1);
        QCOMPARE(lines[7], QStringLiteral("/out/x.pdf now holds /v5/x.eps, not /v4/x.eps"));
        QCOMPARE(lines[8], QStringLiteral("and 75 more (Show Details... lists them all)"));
        const QStringList detailed = run::ClosingDetails(summary).split(QStringLiteral("\r\n"));
        QCOMPARE(detailed.size(), 81);
        QCOMPARE(detailed.last(),
                 QStringLiteral("/out/x.pdf now holds /v80/x.eps, not /v79/x.eps"));
    }

    // An output folder replaced during a run is not written into: a PDF in the making goes into
    // the folder that was there, and the next item fails, naming it.
    void anOutputFolderReplacedDuringTheRun_isNotWrittenInto_data() {
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("duringAFile");
        QTest::addColumn<QString>("reason");
        const QString replaced = QStringLiteral("The output folder %1 was replaced during the run");
        QTest::newRow("by a link") << "link" << false << replaced;
        QTest::newRow("by a link, while a file is converted") << "link" << true << replaced;
        QTest::newRow("by another folder") << "folder" << false << replaced;
        QTest::newRow("beside the sources, by another user's link")
            << "foreign" << false
            << "The output folder %1 cannot be used: it is reached through the link %1, which "
               "belongs to another user (4242)";
    }
    void anOutputFolderReplacedDuringTheRun_isNotWrittenInto() {
        QFETCH(QString, replacement);
        QFETCH(bool, duringAFile);
        QFETCH(QString, reason);
        if (replacement == QLatin1String("foreign") && ::geteuid() != 0)
            QSKIP("giving a link to another user needs the administrator");
        const QString documents = home->makeFolder(QStringLiteral("Documents"));
        testing::WriteFile(documents + QStringLiteral("/b.pdf"), "my document");
        jobs << source(QStringLiteral("a.eps")) << source(QStringLiteral("b.eps"));
        const bool beside = replacement == QLatin1String("foreign");
        if (beside)
            destination = {QString(), true};
        const QString folder = beside ? home->path() + QStringLiteral("/src") : out;
        bool swapped = false;
        const auto swap = [&] {
            if (std::exchange(swapped, true))
                return;
            QVERIFY(QDir().rename(folder, folder + QStringLiteral(" moved")));
            if (replacement == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(folder));
            else
                QVERIFY(QFile::link(documents, folder));
            if (beside)
                QCOMPARE(::lchown(QFile::encodeName(folder), 4242, 4242), 0);
        };
        if (duringAFile)
            onPrint = swap;
        else
            atItem = [&](int i) {
                if (i == 2)
                    swap();
            };
        convert();
        QVERIFY2(details.contains(QString(reason).replace(QLatin1String("%1"), folder)),
                 qPrintable(details));
        QCOMPARE(testing::PdfPages(folder + QStringLiteral(" moved/a.pdf")), 1);
        QFile kept(documents + QStringLiteral("/b.pdf"));
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "my document");
        QCOMPARE(QDir(documents).entryList(QDir::Files), QStringList{"b.pdf"});
        if (replacement == QLatin1String("folder"))
            QVERIFY(QDir(folder).isEmpty());
    }

    // Drawings that try to reach past their picture change nothing, read nothing private and
    // still convert, wherever the working folder and the home folder lie.
    void hostileDrawings_reachNothing_inEveryLayout_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("no runtime folder") << "no runtime";
        QTest::newRow("TEMP in the temporary folder") << "temp";
        QTest::newRow("the private runtime folder") << "runtime";
        QTest::newRow("home in the temporary folder") << "home";
    }
    void hostileDrawings_reachNothing_inEveryLayout() {
        QFETCH(QString, layout);
        const QString systemTemp = home->makeFolder(QStringLiteral("system temp"));
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", tmpdir); });
        qputenv("TMPDIR", QFile::encodeName(systemTemp)); // the system's temporary folder
        if (layout != QLatin1String("runtime"))
            qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("TEMP");
        if (layout == QLatin1String("temp"))
            qputenv("TEMP",
                    QFile::encodeName(home->makeFolder(QStringLiteral("system temp/mine"))));
        const QString userHome =
            layout == QLatin1String("home") ? systemTemp + QStringLiteral("/home") : home->home();
        qputenv("HOME", QFile::encodeName(userHome));
        testing::WriteFile(userHome + QStringLiteral("/secret"), "private words");
        testing::WriteFile(systemTemp + QStringLiteral("/victim"), "keep me");
        const QString work = rasterise::WorkingFolder();
        const QStringList attempts{
            QStringLiteral("(%1/planted) (w) file closefile"),
            QStringLiteral("(%1/victim) deletefile"),
            QStringLiteral("(%1/victim) (%1/renamed) renamefile"),
            QStringLiteral("<< /OutputFile (%1/redirected.jpg) >> setpagedevice"),
            QStringLiteral("/n 0 def (%1/*) { pop /n n 1 add def } 256 string filenameforall "
                           "n 0 eq { stop } if"),
            QStringLiteral("(%2/secret) (r) file closefile"),
            QStringLiteral("(%3/eps2jpg.bat) (a) file dup (\\ntouch owned) writestring closefile"),
            QStringLiteral("(%3/gswin32c) (w) file dup (touch owned) writestring closefile"),
        };
        for (qsizetype k = 0; k < attempts.size(); ++k)
            jobs << source(QStringLiteral("probe%1.eps").arg(k),
                           testing::Probe(QString(attempts[k])
                                              .replace(QLatin1String("%1"), systemTemp)
                                              .replace(QLatin1String("%2"), userHome)
                                              .replace(QLatin1String("%3"), work)));
        jobs << source(QStringLiteral("innocent.eps"));
        convert();

        // Ghostscript refuses a redirected output only when the page goes out, failing that file.
        QVERIFY2(message.startsWith(QStringLiteral("Done.\r\n\r\n1 of 9 files produced no "
                                                   "PDF:\r\nprobe3.eps: ")),
                 qPrintable(message));
        for (qsizetype k = 0; k < attempts.size(); ++k) {
            if (k == 3)
                continue;
            const QColor colour = testing::PageColour(out + QStringLiteral("/probe%1.pdf").arg(k));
            QVERIFY2(colour.green() > 200 && colour.red() < 60, qPrintable(attempts[k]));
        }
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/innocent.pdf")), 1);
        QCOMPARE(QDir(systemTemp).entryList(QDir::Files), QStringList{"victim"});
        QFile victim(systemTemp + QStringLiteral("/victim"));
        QVERIFY(victim.open(QIODevice::ReadOnly) && victim.readAll() == "keep me");
        QFile batch(rasterise::BatchFilePath());
        QVERIFY(batch.open(QIODevice::ReadOnly));
        QCOMPARE(batch.readAll(), rasterise::BatchText(75).toUtf8());
        QVERIFY(!QFile::exists(work + QStringLiteral("/owned")));
    }
};

QTEST_MAIN(TestRun)
#include "tst_run.moc"
