// "Start Converting To PDF": every listed EPS becomes a PDF, one after the other. The window
// shows the progress, the pointer and the messages; converting an item is the convert module's.
#include "app/form1.h"

#include "convert/item.h"
#include "convert/paths.h"
#include "convert/rasterise.h"
#include "convert/runlock.h"
#include "convert/runsummary.h"
#include "platform/apptitle.h"
#include "platform/dialogs.h"
#include "platform/errorreport.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSlider>
#include <cmath>

namespace {

// What tells two failures of a run apart: the number and the folder or file it is about; for
// a failure about no place, the statement and its description.
QString CauseOf(int step, const platform::Failure& failure) {
    const QString number = QString::number(failure.number) + QLatin1Char('|');
    return failure.about.isEmpty()
               ? number + QString::number(step) + QLatin1Char('|') + failure.description
               : number + QDir::cleanPath(failure.about);
}

} // namespace

void Form1::PushButton2_Click() {
    if (Converting)
        return;
    Converting = true;
    stopRequested = false;
    // However the handler ends, the next press starts a run again.
    const auto idle = qScopeGuard([this] {
        Converting = false;
        stopRequested = false;
    });
    platform::Yield();
    try {
        convertJobList();
    } catch (const std::exception& unexpected) {
        setPointer(Pointer::Default);
        errorreport::ShowErrorReport(*services.dialogs, this, errorreport::labels::PushButton2, 0,
                                     QString::fromLocal8Bit(unexpected.what()));
    }
}

void Form1::convertJobList() {
    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton2);
    QString closing;
    QString details;
    std::unique_ptr<run::RunLock> lock;
    if (g.test(104, [&] { return ItemCount() == 0; })) {
        closing = run::NoFiles;
    } else if (g.test(106, [&] {
                   return !paths::FolderExists(Text1->text()) && !Option2->isChecked();
               })) {
        closing = run::NoFolder;
    } else if (g.test(106, [&] {
                   return !Option2->isChecked() && !platform::FolderIsWritable(Text1->text());
               })) {
        closing = run::FolderNotWritable(Text1->text());
    } else {
        // Why no item can be converted, when the run cannot even begin.
        QString notPrepared;
        const auto prepare = [&](int step, const std::function<void()>& statement) {
            if (notPrepared.isEmpty() && !g.run(step, statement))
                notPrepared = g.lastDescription();
        };
        // Another window of this user may be converting: its working folder and the PDF
        // Writer's values are ours too, so wait for it, the window served meanwhile.
        prepare(108, [&] {
            lock = run::LockConversions([&] {
                setPointer(Pointer::Hourglass);
                ProgressBar1->setFormat(run::WaitingForOther);
                return !closeRequested && !stopRequested;
            });
            if (!lock && !closeRequested)
                notPrepared = run::StoppedByUser;
        });
        if (closeRequested)
            return;
        QString batchText;
        g.run(110, [&] { batchText = rasterise::BatchText(Slider1->value()); });
        rasterise::RunFiles runFiles;
        prepare(112, [&] {
            if (!rasterise::GhostscriptFound())
                platform::Raise(platform::errors::FileNotFound, rasterise::NoGhostscript);
            runFiles = rasterise::PrepareWorkingFolder(services.applicationFolder);
        });
        prepare(114, [&] { rasterise::WriteBatchFile(batchText, runFiles); });

        // One cause, one box: a failure like the one just shown is only counted.
        QString lastCause;
        const auto report = [&](int step, const platform::Failure& failure) {
            const QString cause = CauseOf(step, failure);
            if (cause == lastCause)
                return;
            lastCause = cause;
            errorreport::ShowErrorReport(*services.dialogs, this, errorreport::labels::PushButton2,
                                         step, failure.description);
        };
        const item::Tools tools{*services.launcher,
                                *services.printers,
                                *services.printing,
                                runFiles,
                                ghostscriptTimeLimitMs,
                                ghostscriptMemoryLimitBytes,
                                report};
        const int n = ItemCount();
        QList<run::Failed> failed;
        run::WrittenPdfs written;
        QList<run::Replaced> replaced;
        for (int i = 1; i <= n; ++i) {
            const QString source = i <= ItemCount() ? ItemText(i) : QString();
            if (!notPrepared.isEmpty() || stopRequested) {
                failed.append({source, stopRequested ? run::StoppedByUser : notPrepared});
                continue;
            }
            showItem(g, i, source);
            // The options are read anew for every item.
            const item::Destination destination{Text1->text(),
                                                Option2->isChecked() && !Option1->isChecked()};
            const item::Outcome outcome = item::ConvertItem(source, destination, tools);
            setPointer(Pointer::Default);
            if (!outcome.converted)
                failed.append({source, outcome.reason});
            else if (const auto earlier = written.note(outcome.output, source))
                replaced.append({outcome.output, source, *earlier});
        }
        // Other windows may go on while this one tells how the run went.
        lock.reset();
        setPointer(Pointer::Default);
        ProgressBar1->setValue(0);
        ProgressBar1->setFormat(QStringLiteral("Progress Bar"));
        closing = run::ClosingMessage(n, failed, replaced);
        details = run::ClosingDetails(failed);
    }
    services.dialogs->messageBox(this, closing, apptitle::ApplicationTitle(), platform::Buttons::Ok,
                                 platform::Icon::None, details);
}

// The busy pointer, the bar's share and its "Processing: " text for item i.
void Form1::showItem(errorreport::Guarded& g, int i, const QString& source) {
    setPointer(Pointer::Hourglass);
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
}

void Form1::Form_EscapePressed() {
    if (!Converting || stopRequested)
        return;
    if (services.dialogs->messageBox(this, run::StopQuestion, apptitle::ApplicationTitle(),
                                     platform::Buttons::YesNo,
                                     platform::Icon::None) == platform::Answer::Yes)
        stopRequested = true;
}
