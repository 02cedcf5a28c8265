// "Start Converting To PDF": every listed EPS becomes a PDF, one after the other.
#include "app/form1.h"

#include "app/apptitle.h"
#include "app/errorreport.h"
#include "convert/paths.h"
#include "convert/pdfwriter.h"
#include "convert/rasterise.h"
#include "convert/run.h"
#include "platform/dialogs.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QLockFile>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <cmath>

namespace {

// Waits, serving window events, until a file other than `before` is at `path`.
bool WaitForNewFile(const QString& path, const std::optional<platform::FileIdentity>& before) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const auto now = platform::FileIdentityOf(path);
        if (now && now != before)
            return true;
        if (clock.elapsed() >= run::PdfWaitMs)
            return false;
        platform::Yield();
        platform::Pause(10);
    }
}

} // namespace

void Form1::PushButton2_Click() {
    if (Converting)
        return;
    Converting = true;
    platform::Yield();

    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton2);
    QString closing;
    std::unique_ptr<QLockFile> lock;
    if (g.test(104, [&] { return ItemCount() == 0; })) {
        closing = run::NoFiles;
    } else if (g.test(106, [&] {
                   return !paths::FolderExists(Text1->text()) && !Option2->isChecked();
               })) {
        closing = run::NoFolder;
    } else {
        // Another window of this user may be converting: its working folder and the PDF
        // Writer's values are ours too, so wait for it, the window served meanwhile.
        bool gaveUp = false;
        bool prepared = g.run(108, [&] {
            lock = run::LockConversions([&] {
                setPointer(Pointer::Hourglass);
                ProgressBar1->setFormat(run::WaitingForOther);
                return !(gaveUp = closeRequested);
            });
        });
        if (gaveUp) {
            Converting = false;
            return;
        }
        QString batchText;
        g.run(110, [&] { batchText = rasterise::BatchText(Slider1->value()); });
        // Without a working folder no item can be converted; one report says why.
        prepared = prepared && g.run(112, [&] {
            if (!run::GhostscriptFound())
                platform::Raise(platform::errors::FileNotFound, run::NoGhostscript);
            rasterise::PrepareWorkingFolder(services.applicationFolder);
        });
        prepared = prepared && g.run(114, [&] { rasterise::WriteBatchFile(batchText); });
        const int n = ItemCount();
        QStringList failed;
        run::WrittenPdfs written;
        QList<run::Replaced> replaced;
        for (int i = 1; i <= n; ++i) {
            const QString source = i <= ItemCount() ? ItemText(i) : QString();
            QString output;
            if (!prepared || !convertItem(g, i, source, output)) {
                failed << paths::GetFileNamePart(source);
                continue;
            }
            if (const auto earlier = written.note(output, source))
                replaced.append({output, source, *earlier});
        }
        setPointer(Pointer::Default);
        ProgressBar1->setValue(0);
        ProgressBar1->setFormat(QStringLiteral("Progress Bar"));
        closing = run::ClosingMessage(n, failed, replaced);
    }
    services.dialogs->messageBox(this, closing, apptitle::ApplicationTitle(), platform::Buttons::Ok,
                                 platform::Icon::None);
    lock.reset();
    Converting = false;
}

// One item of the run; answers whether its PDF was written, and where. A step that fails ends
// the item: nothing of an earlier item is reused and nothing waits for a file that will never
// come.
bool Form1::convertItem(errorreport::Guarded& g, int i, const QString& source, QString& output) {
    setPointer(Pointer::Hourglass);
    const auto done = [this](bool converted) {
        setPointer(Pointer::Default);
        return converted;
    };
    g.run(120,
          [&] { ProgressBar1->setValue(static_cast<int>(std::lround(100.0 * i / ItemCount()))); });
    g.run(124, [&] {
        // The bar's text is a format in which "%p", "%v" and "%m" stand for numbers; an
        // invisible word joiner after each "%" of the name keeps the name as it is.
        QString name = paths::GetFileNamePart(source);
        name.replace(QLatin1Char('%'), QStringLiteral("%\u2060"));
        ProgressBar1->setFormat(QStringLiteral("Processing: ") + name);
    });
    platform::Yield();
    if (!g.run(128, [&] {
            // The first option, or neither (only a damaged store leaves both cleared): into the
            // folder of the text box, which was checked when the run started.
            output = run::OutputPath(source, Text1->text(),
                                     Option2->isChecked() && !Option1->isChecked());
        }))
        return done(false);
    // A listed PDF "converted" beside itself would be replaced by a picture of its first page.
    if (const auto target = platform::FileIdentityOf(output);
        target && target == platform::FileIdentityOf(source))
        return done(false);
    if (!g.run(130, [&] { pdfwriter::SetPdfWriterOutput(output); }))
        return done(false);
    rasterise::Rasterisation result;
    if (!g.run(134, [&] {
            result = rasterise::RasteriseEps(source, *services.launcher, platform::Pause,
                                             ghostscriptTimeLimitMs, ghostscriptMemoryLimitBytes);
        }))
        return done(false);
    setPointer(Pointer::Hourglass);
    if (result.result != rasterise::Rasterised::Converted)
        return done(false);
    const auto before = platform::FileIdentityOf(output);
    const QString jpeg = rasterise::CurrentJpgPath();
    const bool printed = g.run(142, [&] {
        pdfwriter::SelectPdfWriter(*services.printers, *services.printing);
        pdfwriter::PrintJpegToPdf(*services.printing, jpeg);
    });
    platform::Yield();
    platform::Yield();
    paths::DeleteFileQuiet(jpeg);
    return done(printed && WaitForNewFile(output, before));
}
