// "Start Converting To PDF" through the window: the bar, the pointer, the messages, Escape and
// closing during a run, and copies of the program converting at once. The run itself is
// tested without the window (tests/convert/tst_run.cpp).
#include "app/joblist.h"
#include "convert/run.h"
#include "formfixture.h"
#include "pdfprobe.h"
#include "platform/launcher.h"
#include "rasterise/rasterise.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include <csignal>

using testing::ControlsOf;
using testing::SquareEps;

namespace {

// The processes whose current folder is `folder`.
QList<qint64> ProcessesIn(const QString& folder) {
    QList<qint64> found;
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget() == wanted)
            found << pid;
    }
    return found;
}

} // namespace

class TestConversion : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;
    std::unique_ptr<platform::PosixLauncher> launcher;
    Form1* form = nullptr;
    testing::Controls ui() const { return ControlsOf(*form); }
    QString out;

    // Presses "Start Converting To PDF" and waits until the run's closing message is dismissed.
    void press() {
        QTest::mouseClick(ui().PushButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!ui().Converting, 120000);
    }
    QString closing() const { return f->fakes.dialogs.messages().last(); }
    QString source(const QString& name) {
        const QString path = f->home.path() + QLatin1Char('/') + name;
        testing::WriteFile(path, SquareEps);
        return path;
    }
    // Calls `whileConverting` with the bar's text as each item starts.
    void onEachItem(const std::function<void(int index, const QString& bar)>& whileConverting) {
        connect(form, &Form1::conversionStarted, this, [=, this](run::Conversion* conversion) {
            connect(conversion, &run::Conversion::itemStarted, this,
                    [=, this](int index) { whileConverting(index, ui().ProgressBar1->text()); });
        });
    }

private slots:
    void init() {
        f = std::make_unique<testing::FormFixture>();
        launcher = std::make_unique<platform::PosixLauncher>(
            QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
        auto services = f->fakes.services();
        services.launcher = launcher.get();
        f->form = std::make_unique<Form1>(services);
        form = f->form.get();
        out = f->home.makeFolder(QStringLiteral("out folder"));
        ui().Text1->setText(out + QLatin1Char('/'));
    }
    void cleanup() {
        f.reset();
        launcher.reset();
    }

    // While an item converts the bar shows its share and name, as it is, and the busy pointer;
    // afterwards the bar is reset and the closing message has the window's caption.
    void barAndPointer_followTheRun_andTheClosingMessageIsTheWindows() {
        form->AddToList(source(QStringLiteral("50%p off.eps")));
        form->AddToList(source(QStringLiteral("second.eps")));
        QStringList bars;
        QList<int> shares;
        QList<Form1::Pointer> pointers;
        onEachItem([&](int, const QString& bar) {
            bars << QString(bar).remove(QChar(0x2060)); // the invisible joiners after "%"
            QCOMPARE(ui().ProgressBar1->accessibleName(), bars.last());
            shares << ui().ProgressBar1->value();
            pointers << form->pointer();
        });
        press();
        QCOMPARE(bars, (QStringList{"Processing: 50%p off.eps", "Processing: second.eps"}));
        QCOMPARE(shares, (QList<int>{50, 100}));
        QCOMPARE(pointers, (QList<Form1::Pointer>(2, Form1::Pointer::Hourglass)));
        QCOMPARE(closing(), QStringLiteral("Done."));
        QCOMPARE(ui().ProgressBar1->value(), 0);
        QCOMPARE(ui().ProgressBar1->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(form->pointer(), Form1::Pointer::Default);
        QVERIFY(!ui().Converting);
        QCOMPARE(form->ItemCount(), 2); // the list is left as it was
        const auto& box = f->fakes.dialogs.shown.last();
        QCOMPARE(box.caption, QStringLiteral("Pellarine"));
        QCOMPARE(box.icon, platform::Icon::None);
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/50%p off.pdf")), 1);
    }

    // Outside the window: the bar's share on the program's entry, taken off at the end, and one
    // notification when the window is not the active one. The bar's tip tells of Escape.
    void theDesktop_followsTheRun_andIsToldItsEnd_whenTheWindowIsInactive() {
        form->AddToList(source(QStringLiteral("a.eps")));
        form->AddToList(source(QStringLiteral("b.eps")));
        QStringList tips;
        onEachItem([&](int, const QString&) { tips << ui().ProgressBar1->toolTip(); });
        press();
        QCOMPARE(tips, QStringList(2, "Press Escape to stop converting after the current file."));
        QCOMPARE(ui().ProgressBar1->toolTip(), QString());
        QCOMPARE(f->fakes.desktop.progress, (QList<double>{0.5, 1.0, -1}));
        QCOMPARE(f->fakes.desktop.notes, QStringList{"Pellarine: Done: all 2 files converted."});
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        press();
        QCOMPARE(f->fakes.desktop.progress.size(), 6);
        QCOMPARE(f->fakes.desktop.notes.size(), 1);
    }

    void failures_areReportedAsTheButtonsProcedure_withTheDetailsInTheBox() {
        form->AddToList(f->home.path() + QStringLiteral("/no-dot"));
        press();
        const QStringList messages = f->fakes.dialogs.messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].contains(QStringLiteral("PushButton2_Click at line 128\r\r")));
        QCOMPARE(f->fakes.dialogs.shown[0].caption, QStringLiteral("Application Error"));
        QVERIFY(closing().startsWith(QStringLiteral("Done.\r\n\r\n1 of 1 file ")));
        QVERIFY(f->fakes.dialogs.shown.last().details.startsWith(f->home.path() + "/no-dot: "));
        QVERIFY(!QFileInfo::exists(rasterise::CurrentEpsPath()));
    }

    void secondPressDuringARun_doesNothing_theListIsHeld_andHandedOverFilesListed() {
        form->AddToList(source(QStringLiteral("a.eps")));
        form->AddToList(source(QStringLiteral("b.eps")));
        const QString handedOver = source(QStringLiteral("handed over.eps"));
        int duringRun = 0;
        onEachItem([&](int index, const QString&) {
            if (index != 1)
                return;
            QTest::mouseClick(ui().PushButton2, Qt::LeftButton); // ignored: a run is in progress
            form->OpenFiles({handedOver}); // listed at once, the item's pointer kept
            QCOMPARE(form->pointer(), Form1::Pointer::Hourglass);
            ui().ListView1->setCurrentIndex(ui().jobs.index(0));
            form->ListView1_RemoveSelected();
            form->PushButton6_Click();
            duringRun = form->ItemCount();
            form->close(); // ends the program at once, even in the middle of the run
        });
        press();
        QCOMPARE(f->fakes.endProgramCalls, 1);
        QCOMPARE(f->fakes.dialogs.messages(), QStringList{QStringLiteral("Done.")});
        QCOMPARE(duringRun, 3);
        QCOMPARE(form->ItemCount(), 3);
    }

    void escape_asksWhetherToStop_andStopsAfterTheCurrentFile() {
        for (int k = 0; k < 3; ++k)
            form->AddToList(source(QStringLiteral("s%1.eps").arg(k)));
        f->fakes.dialogs.answers.enqueue(platform::Answer::Yes);
        onEachItem([&](int index, const QString&) {
            if (index == 1)
                QTest::keyClick(ui().ListView1, Qt::Key_Escape);
        });
        press();
        const QStringList messages = f->fakes.dialogs.messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].startsWith(QStringLiteral("Stop converting after the current file?")));
        QCOMPARE(f->fakes.dialogs.shown[0].buttons, platform::Buttons::YesNo);
        QCOMPARE(f->fakes.dialogs.shown[0].caption, QStringLiteral("Pellarine"));
        QVERIFY(messages[1].startsWith(QStringLiteral("Done.\r\n\r\n2 of 3 files produced no")));
        QCOMPARE(testing::PdfPages(out + QStringLiteral("/s0.pdf")), 1);
        QVERIFY(!ui().Converting);
        QTest::keyClick(ui().ListView1, Qt::Key_Escape); // no run: no question
        QCOMPARE(f->fakes.dialogs.messages().size(), 2);
    }

    // A copy of the program that is killed in the middle of a file leaves nothing running.
    void killedWindow_leavesNothingRunning() {
        const QString endless = f->home.path() + QStringLiteral("/forever.eps");
        testing::WriteFile(endless, testing::LoopingEps);
        QProcess peer;
        peer.start(QCoreApplication::applicationDirPath() +
                       QStringLiteral("/pellarine-convert-peer"),
                   {out, endless});
        const QString work = rasterise::WorkingFolder();
        QTRY_VERIFY_WITH_TIMEOUT(ProcessesIn(work).size() >= 2, 60000); // interpreter, Ghostscript
        ::kill(static_cast<pid_t>(peer.processId()), SIGKILL);
        QVERIFY(peer.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(ProcessesIn(work).isEmpty(), 10000);
    }

    // Three copies of the program convert at once; each PDF holds its own source's drawing.
    void windowsConvertingAtOnce_eachPdfHoldsItsOwnDrawing_data() {
        QTest::addColumn<bool>("mixed");
        QTest::newRow("the same environment") << false;
        QTest::newRow("one started without a runtime folder") << true;
    }
    void windowsConvertingAtOnce_eachPdfHoldsItsOwnDrawing() {
        QFETCH(bool, mixed);
        const QList<QSize> sizes{{40, 40}, {90, 30}, {30, 70}};
        QList<QProcess*> peers;
        for (int p = 0; p < sizes.size(); ++p) {
            QStringList arguments{out};
            for (int k = 0; k < 4; ++k) {
                const QString path = f->home.path() + QStringLiteral("/w%1-%2.eps").arg(p).arg(k);
                testing::WriteFile(path, testing::Drawing(sizes[p].width(), sizes[p].height()));
                arguments << path;
            }
            auto* peer = new QProcess(this);
            if (mixed) {
                // Their own working folders, under the runtime folder or the temporary one.
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.remove(QStringLiteral("TEMP"));
                if (p == 1) {
                    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
                    environment.insert(QStringLiteral("TMPDIR"),
                                       f->home.makeFolder(QStringLiteral("system temp")));
                }
                peer->setProcessEnvironment(environment);
            }
            peer->start(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/pellarine-convert-peer"),
                        arguments);
            peers << peer;
        }
        for (QProcess* peer : peers) {
            QVERIFY(peer->waitForFinished(120000));
            QCOMPARE(peer->readAllStandardOutput().trimmed(), QByteArray("Done."));
        }
        for (int p = 0; p < sizes.size(); ++p)
            for (int k = 0; k < 4; ++k)
                QCOMPARE(testing::PageSize(out + QStringLiteral("/w%1-%2.pdf").arg(p).arg(k)),
                         QStringLiteral("%1 x %2").arg(sizes[p].width()).arg(sizes[p].height()));
    }
};

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
