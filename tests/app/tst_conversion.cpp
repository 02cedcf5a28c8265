// The conversion run end to end: real Ghostscript through the real batch interpreter, the PDF
// Writer stand-in, real PDF files checked with poppler.
#include "app/joblist.h"
#include "convert/rasterise.h"
#include "convert/runlock.h"
#include "convert/runsummary.h"
#include "formfixture.h"
#include "platform/launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {

const QString SamplesFolder = QStringLiteral(PELLARINE_APP_FOLDER "/Samples");

QStringList SampleNames() { return QDir(SamplesFolder).entryList({"*.eps"}, QDir::Files); }

// pdfinfo's answer for a file, or empty when poppler cannot open it.
QString PdfInfo(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(20000);
    return info.exitCode() == 0 ? QString::fromUtf8(info.readAllStandardOutput()) : QString();
}

bool IsOnePagePdf(const QString& path) {
    return PdfInfo(path).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")));
}

const QByteArray LoopingEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n{} loop\n";
const QByteArray SquareEps =
    "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 50 50\n0 0 1 setrgbcolor 0 0 50 50 rectfill\n"
    "showpage\n%%EOF\n";

// A drawing of its own size and colour, so that a PDF shows which source it holds.
QByteArray Drawing(int width, int height) {
    return QStringLiteral("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 %1 %2\n"
                          "0.2 0.4 0.8 setrgbcolor 0 0 %1 %2 rectfill\nshowpage\n%%EOF\n")
        .arg(width)
        .arg(height)
        .toLatin1();
}

// A drawing that tries one thing a drawing may not do, and paints itself green when that was
// refused, red when it went through.
QByteArray Probe(const QString& attempt) {
    return ("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 20\n{ " + attempt +
            " } stopped { 0 1 0 } { 1 0 0 } ifelse setrgbcolor 0 0 20 20 rectfill\nshowpage\n")
        .toUtf8();
}

// The colour in the middle of a PDF's page, as poppler renders it.
QColor PageColour(const QString& pdf) {
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("36"),
                  QStringLiteral("-singlefile"), pdf, pdf});
    render.waitForFinished(20000);
    const QImage page(pdf + QStringLiteral(".png"));
    return page.isNull() ? QColor() : page.pixelColor(page.width() / 2, page.height() / 2);
}

QString PageSize(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+(\\S+ x \\S+) pts")).match(PdfInfo(pdf));
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

class TestConversion : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;
    std::unique_ptr<platform::PosixLauncher> launcher;
    Form1* form = nullptr;
    QString out;

    void press() { QTest::mouseClick(form->PushButton2, Qt::LeftButton); }
    QString closing() const { return f->fakes.dialogs.messages().last(); }

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
        form->Text1->setText(out + QLatin1Char('/'));
    }
    void cleanup() {
        f.reset();
        launcher.reset();
    }

    void samples_becomeOnePagePdfs_inTheChosenFolder() {
        form->PushButton7_Click();
        const int listed = form->ItemCount();
        QVERIFY(listed >= 6);
        QString progressSeen;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (form->ProgressBar1->format().startsWith(QStringLiteral("Processing: ")))
                progressSeen = form->ProgressBar1->format();
        });
        probe.start(5);
        press();
        QCOMPARE(closing(), QStringLiteral("Done."));
        QVERIFY(progressSeen.endsWith(QStringLiteral(".eps")));
        for (const QString& name : SampleNames()) {
            const QString pdf = out + QLatin1Char('/') + QFileInfo(name).completeBaseName() +
                                QStringLiteral(".pdf");
            QVERIFY2(IsOnePagePdf(pdf), qPrintable(pdf));
        }
        QCOMPARE(form->ItemCount(), listed); // the list is left as it was
        QCOMPARE(form->ProgressBar1->value(), 0);
        QCOMPARE(form->ProgressBar1->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(form->pointer(), Form1::Pointer::Default);
        QVERIFY(!form->Converting);
        const auto& box = f->fakes.dialogs.shown.last();
        QCOMPARE(box.caption, QStringLiteral("Pellarine"));
        QCOMPARE(box.icon, platform::Icon::None);
        QCOMPARE(box.buttons, platform::Buttons::Ok);
    }

    void besideTheSources_withDotsAndBlanksInNames_andAnOldPdfReplaced() {
        const QString art = f->home.makeFolder(QStringLiteral("my art"));
        testing::WriteFile(art + QStringLiteral("/site.old.eps"), SquareEps);
        testing::WriteFile(art + QStringLiteral("/blue square.eps"), SquareEps);
        testing::WriteFile(art + QStringLiteral("/blue square.pdf"), "an older PDF");
        form->AddToList(art + QStringLiteral("/site.old.eps"));
        form->AddToList(art + QStringLiteral("/blue square.eps"));
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        form->Text1->setText(QStringLiteral("/no/such/folder/")); // not needed beside sources
        press();
        QCOMPARE(closing(), QStringLiteral("Done."));
        QVERIFY(IsOnePagePdf(art + QStringLiteral("/site.old.pdf")));
        QVERIFY(!QFileInfo::exists(art + QStringLiteral("/site.pdf")));
        QVERIFY(IsOnePagePdf(art + QStringLiteral("/blue square.pdf")));
        QVERIFY(QFileInfo::exists(art + QStringLiteral("/site.old.eps"))); // sources stay
        QVERIFY(QDir(art).entryList(QDir::Files | QDir::Hidden).size() == 4);
    }

    void emptyListAndMissingFolder_haveTheirOwnMessages() {
        press();
        QCOMPARE(f->fakes.dialogs.messages(), QStringList{QStringLiteral("No files added.")});
        QVERIFY(!QFileInfo::exists(rasterise::WorkingFolder())); // nothing was touched

        form->AddToList(SamplesFolder + QStringLiteral("/line-art.eps"));
        form->Text1->setText(QString());
        press();
        QCOMPARE(closing(), QStringLiteral("Folder does not exist. Please select another folder."));
        form->Text1->setText(out + QStringLiteral("/missing/"));
        press();
        QCOMPARE(closing(), QStringLiteral("Folder does not exist. Please select another folder."));
        QVERIFY(!QFileInfo::exists(out + QStringLiteral("/missing")));
        QVERIFY(!form->Converting);
    }

    void secondPressDuringARun_doesNothing_andTheListIsHeld() {
        form->AddToList(SamplesFolder + QStringLiteral("/line-art.eps"));
        form->AddToList(SamplesFolder + QStringLiteral("/gradient.eps"));
        int duringRun = 0;
        QTimer::singleShot(50, form, [&] {
            press(); // ignored: a run is in progress
            form->ListView1->setCurrentIndex(form->jobs().index(0));
            form->ListView1_RemoveSelected();
            form->PushButton6_Click();
            duringRun = form->ItemCount();
            form->close(); // ends the program at once, even in the middle of the run
        });
        press();
        QCOMPARE(f->fakes.endProgramCalls, 1);
        QCOMPARE(f->fakes.dialogs.messages(), QStringList{QStringLiteral("Done.")});
        QCOMPARE(duringRun, 2);
        QCOMPARE(form->ItemCount(), 2);
    }

    void failingItems_areCounted_whileTheOthersConvert() {
        const QString art = f->home.makeFolder(QStringLiteral("mixed"));
        testing::WriteFile(art + QStringLiteral("/good.eps"), SquareEps);
        testing::WriteFile(art + QStringLiteral("/rejected.eps"), "this is not PostScript at all");
        testing::WriteFile(art + QStringLiteral("/forever.eps"), LoopingEps);
        testing::WriteFile(art + QStringLiteral("/noextension"), SquareEps);
        testing::WriteFile(art + QStringLiteral("/deleted.eps"), SquareEps);
        testing::WriteFile(art + QStringLiteral("/last.eps"), SquareEps);
        for (const char* name :
             {"good.eps", "rejected.eps", "forever.eps", "noextension", "deleted.eps", "last.eps"})
            form->AddToList(art + QLatin1Char('/') + QLatin1String(name));
        QFile::remove(art + QStringLiteral("/deleted.eps"));
        form->ghostscriptTimeLimitMs = 2000;
        press();

        QVERIFY(IsOnePagePdf(out + QStringLiteral("/good.pdf")));
        QVERIFY(IsOnePagePdf(out + QStringLiteral("/last.pdf")));
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
        const QStringList messages = f->fakes.dialogs.messages();
        // The name without "." and the vanished source are reported as they happen, naming them.
        QCOMPARE(messages.size(), 3);
        QVERIFY(messages[0].startsWith(QStringLiteral("The file name %1/noextension").arg(art)));
        QVERIFY(messages[0].contains(QStringLiteral("PushButton2_Click at line 128\r\r")));
        QVERIFY(messages[1].startsWith(QStringLiteral("The file %1/deleted.eps").arg(art)));
        QVERIFY2(messages[2].startsWith(QStringLiteral(
                     "Done.\r\n\r\n4 of 6 files produced no PDF:\r\nrejected.eps: Ghostscript "
                     "could not convert it: Error: /undefined in this\r\nforever.eps: stopped: "
                     "Ghostscript had not finished after 2 s\r\nnoextension: ")),
                 qPrintable(messages[2]));
        // The details name every file by its full path, with its reason.
        const QStringList details =
            f->fakes.dialogs.shown.last().details.split(QStringLiteral("\r\n"));
        QCOMPARE(details.size(), 4);
        QVERIFY(
            details[3].startsWith(art + QStringLiteral("/deleted.eps: it could not be copied")));
        QVERIFY(!QFileInfo::exists(rasterise::CurrentEpsPath()));
        QVERIFY(!QFileInfo::exists(rasterise::CurrentJpgPath()));
        QCOMPARE(form->ItemCount(), 6);
    }

    // A cause that fails every item is shown once; the items are counted with their reason.
    void oneCause_oneBox_data() {
        QTest::addColumn<QString>("cause");
        QTest::newRow("output folder removed during the run") << "folder";
        QTest::newRow("the PDF Writer's store cannot be written") << "store";
    }
    void oneCause_oneBox() {
        QFETCH(QString, cause);
        for (int k = 0; k < 6; ++k) {
            const QString source = f->home.path() + QStringLiteral("/d%1.eps").arg(k);
            testing::WriteFile(source, SquareEps);
            form->AddToList(source);
        }
        const QString store =
            f->home.configFolder() + QStringLiteral("/Software/Marrowind PDF Writer.ini");
        if (cause == QLatin1String("store"))
            f->home.makeFolder(QStringLiteral("home/.config/Software/Marrowind PDF Writer.ini"));
        QTimer remover;
        connect(&remover, &QTimer::timeout, this, [&] {
            if (QFile::exists(out + QStringLiteral("/d0.pdf")))
                QDir(out).removeRecursively();
        });
        if (cause == QLatin1String("folder"))
            remover.start(5);
        press();
        const QStringList messages = f->fakes.dialogs.messages();
        QVERIFY2(messages.size() == 2, qPrintable(messages.join(QStringLiteral("\n----\n"))));
        QVERIFY2(messages[0].contains(cause == QLatin1String("store") ? store : out),
                 qPrintable(messages[0]));
        QVERIFY2(messages[1].contains(QStringLiteral("of 6 files produced no PDF")),
                 qPrintable(messages[1]));
    }

    void unwritableFolder_stopsTheRunBeforeAnyWork() {
        form->AddToList(SamplesFolder + QStringLiteral("/line-art.eps"));
        form->Text1->setText(QStringLiteral("/proc/"));
        press();
        QCOMPARE(f->fakes.dialogs.messages(),
                 QStringList{QStringLiteral(
                     "The folder /proc/ cannot be written to. Please select another folder.")});
        QVERIFY(!QFileInfo::exists(rasterise::WorkingFolder()));
    }

    void escape_stopsTheRunAfterTheCurrentFile() {
        for (int k = 0; k < 3; ++k) {
            const QString source = f->home.path() + QStringLiteral("/s%1.eps").arg(k);
            testing::WriteFile(source, SquareEps);
            form->AddToList(source);
        }
        f->fakes.dialogs.answers.enqueue(platform::Answer::Yes);
        QTimer probe; // Escape while the first file is being converted
        connect(&probe, &QTimer::timeout, this, [&] {
            if (form->ProgressBar1->format() == QStringLiteral("Processing: s0.eps")) {
                probe.stop();
                QTest::keyClick(form->ListView1, Qt::Key_Escape);
            }
        });
        probe.start(5);
        press();
        const QStringList messages = f->fakes.dialogs.messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].startsWith(QStringLiteral("Stop converting after the current file?")));
        QCOMPARE(f->fakes.dialogs.shown[0].buttons, platform::Buttons::YesNo);
        QCOMPARE(f->fakes.dialogs.shown[0].caption, QStringLiteral("Pellarine"));
        QCOMPARE(messages[1], QStringLiteral("Done.\r\n\r\n2 of 3 files produced no PDF:\r\n"
                                             "s1.eps: not converted: the run was stopped\r\n"
                                             "s2.eps: not converted: the run was stopped"));
        QVERIFY(IsOnePagePdf(out + QStringLiteral("/s0.pdf")));
        QVERIFY(!form->Converting);
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
        const QString systemTemp = f->home.makeFolder(QStringLiteral("system temp"));
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", tmpdir); });
        qputenv("TMPDIR", QFile::encodeName(systemTemp)); // the system's temporary folder
        if (layout != QLatin1String("runtime"))
            qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("TEMP");
        if (layout == QLatin1String("temp"))
            qputenv("TEMP",
                    QFile::encodeName(f->home.makeFolder(QStringLiteral("system temp/mine"))));
        const QString home =
            layout == QLatin1String("home") ? systemTemp + QStringLiteral("/home") : f->home.home();
        qputenv("HOME", QFile::encodeName(home));
        testing::WriteFile(home + QStringLiteral("/secret"), "private words");
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
        for (qsizetype k = 0; k < attempts.size(); ++k) {
            const QString source = f->home.path() + QStringLiteral("/probe%1.eps").arg(k);
            testing::WriteFile(source, Probe(attempts[k].arg(systemTemp, home, work)));
            form->AddToList(source);
        }
        testing::WriteFile(f->home.path() + QStringLiteral("/innocent.eps"), SquareEps);
        form->AddToList(f->home.path() + QStringLiteral("/innocent.eps"));
        press();

        // Ghostscript refuses a redirected output only when the page goes out, failing that file.
        QVERIFY2(closing().startsWith(QStringLiteral("Done.\r\n\r\n1 of 9 files produced no "
                                                     "PDF:\r\nprobe3.eps: ")),
                 qPrintable(closing()));
        for (qsizetype k = 0; k < attempts.size(); ++k) {
            if (k == 3)
                continue;
            const QColor colour = PageColour(out + QStringLiteral("/probe%1.pdf").arg(k));
            QVERIFY2(colour.green() > 200 && colour.red() < 60, qPrintable(attempts[k]));
        }
        QCOMPARE(QDir(systemTemp).entryList(QDir::Files), QStringList{"victim"});
        QFile victim(systemTemp + QStringLiteral("/victim"));
        QVERIFY(victim.open(QIODevice::ReadOnly) && victim.readAll() == "keep me");
        QFile batch(rasterise::BatchFilePath());
        QVERIFY(batch.open(QIODevice::ReadOnly));
        QCOMPARE(batch.readAll(), rasterise::BatchText(form->Slider1->value()).toUtf8());
        QVERIFY(!QFile::exists(work + QStringLiteral("/owned")));
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
                const QString source = f->home.path() + QStringLiteral("/w%1-%2.eps").arg(p).arg(k);
                testing::WriteFile(source, Drawing(sizes[p].width(), sizes[p].height()));
                arguments << source;
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
                QCOMPARE(PageSize(out + QStringLiteral("/w%1-%2.pdf").arg(p).arg(k)),
                         QStringLiteral("%1 x %2").arg(sizes[p].width()).arg(sizes[p].height()));
    }

    // Another window may start converting while this one's closing message is still open.
    void closingMessage_letsOtherWindowsConvert() {
        form->AddToList(SamplesFolder + QStringLiteral("/line-art.eps"));
        bool free = false;
        f->fakes.dialogs.whileOpen = [&] {
            free = run::LockConversions([] { return false; }) != nullptr;
        };
        press();
        QCOMPARE(closing(), QStringLiteral("Done."));
        QVERIFY(free);
    }

    void sameNamedSources_intoOneFolder_areNamedInTheClosingMessage() {
        const QString acme = f->home.makeFolder(QStringLiteral("clients/acme"));
        const QString globex = f->home.makeFolder(QStringLiteral("clients/globex"));
        testing::WriteFile(acme + QStringLiteral("/logo.eps"), Drawing(20, 20));
        testing::WriteFile(globex + QStringLiteral("/logo.eps"), Drawing(60, 20));
        testing::WriteFile(acme + QStringLiteral("/plan.eps"), Drawing(20, 20));
        testing::WriteFile(acme + QStringLiteral("/plan.EPS"), Drawing(20, 60));
        for (const QString& s :
             {acme + QStringLiteral("/logo.eps"), globex + QStringLiteral("/logo.eps"),
              acme + QStringLiteral("/plan.eps"), acme + QStringLiteral("/plan.EPS")})
            form->AddToList(s);
        testing::WriteFile(out + QStringLiteral("/old.pdf"), "before the run");
        press();
        QCOMPARE(closing(),
                 QStringLiteral("Done.\r\n\r\nWritten more than once in this run, so an earlier "
                                "result was replaced:\r\n%1/logo.pdf now holds %2/logo.eps, not "
                                "%3/logo.eps\r\n%1/plan.pdf now holds %3/plan.EPS, not %3/plan.eps")
                     .arg(out, globex, acme));
        QCOMPARE(PageSize(out + QStringLiteral("/logo.pdf")), QStringLiteral("60 x 20"));
    }

    void progressText_showsTheFileNameAsItIs() {
        const QString art = f->home.makeFolder(QStringLiteral("percent"));
        testing::WriteFile(art + QStringLiteral("/50%p off.eps"), SquareEps);
        form->AddToList(art + QStringLiteral("/50%p off.eps"));
        QString shown;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (form->ProgressBar1->text().startsWith(QStringLiteral("Processing: ")))
                shown = form->ProgressBar1->text().remove(QChar(0x2060)); // invisible
        });
        probe.start(5);
        press();
        QCOMPARE(shown, QStringLiteral("Processing: 50%p off.eps"));
        QCOMPARE(closing(), QStringLiteral("Done."));
    }

    void missingGhostscript_isToldOnce_andEveryItemCounted() {
        form->AddToList(SamplesFolder + QStringLiteral("/line-art.eps"));
        form->AddToList(SamplesFolder + QStringLiteral("/gradient.eps"));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(f->home.makeFolder(QStringLiteral("empty-bin"))));
        press();
        qputenv("PATH", path);
        const QStringList messages = f->fakes.dialogs.messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].startsWith(QStringLiteral("Ghostscript was not found.")));
        QVERIFY(messages[0].contains(QStringLiteral("PushButton2_Click at line 112\r\r")));
        QCOMPARE(messages[1], QStringLiteral("Done.\r\n\r\n2 of 2 files produced no PDF:\r\n"
                                             "line-art.eps: %1\r\ngradient.eps: %1")
                                  .arg(rasterise::NoGhostscript));
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

    void aListedPdf_isNeverReplacedByItsOwnConversion() {
        const QString art = f->home.makeFolder(QStringLiteral("pdfs"));
        testing::WriteFile(art + QStringLiteral("/original.pdf"), SquareEps);
        form->AddToList(art + QStringLiteral("/original.pdf"));
        QTest::mouseClick(form->Option2, Qt::LeftButton);
        press();
        QFile kept(art + QStringLiteral("/original.pdf"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), SquareEps);
        QVERIFY(closing().contains(QStringLiteral("1 of 1 files produced no PDF")));
    }
};

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
