// "Start Converting To PDF": the run converts every listed EPS; the window shows its progress,
// the pointer and its messages, and asks whether to stop when Escape is pressed.
#include "app/form1.h"

#include "app/errorbox.h"
#include "app/settings.h"
#include "common/paths.h"
#include "convert/run.h"
#include "convert/runlock.h"
#include "intake/commandline.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/environment.h"

#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cmath>

namespace {

// The progress bar's tool tip during a run.
const QString StopTip = QStringLiteral("Press Escape to stop converting after the current file.");

} // namespace

void Form1::PushButton2_Click() {
    if (Converting)
        return;
    Converting = true;
    // The run goes on from the event loop; it lives until its closing message is dismissed.
    auto* conversion = new run::Conversion(
        jobSource(),
        {*services.launcher, *services.printers, *services.printing, services.applicationFolder,
         ghostscriptTimeLimitMs, ghostscriptMemoryLimitBytes, platform::UsableCores()},
        this);
    activeRun = conversion;
    followRun(*conversion);
    emit conversionStarted(conversion);
    conversion->start();
}

void Form1::showInTurn(const std::function<void()>& box) {
    pendingBoxes.append(box);
    if (pendingBoxes.size() == 1 && !showingBox)
        QTimer::singleShot(0, this, [this] {
            // One box at a time, in the order they came: a box shown waits for the one before.
            showingBox = true;
            while (!pendingBoxes.isEmpty())
                pendingBoxes.takeFirst()();
            showingBox = false;
        });
}

run::JobSource Form1::jobSource() {
    return {
        [this] { return ItemCount(); }, [this](int index) { return ItemText(index); },
        [this] { return Slider1->value(); },
        [this] {
            return item::Destination{Text1->text(), Option2->isChecked() && !Option1->isChecked()};
        },
        [this] { return Resolution; },
        // The cap on Ghostscripts at once: none when the setting is missing or not a count.
        [] {
            return commandline::GhostscriptsFromText(settings::ReadSetting(settings::Jobs, {}))
                .value_or(0);
        }};
}

void Form1::followRun(run::Conversion& conversion) {
    connect(&conversion, &run::Conversion::waitingForOther, this, [this] {
        setPointer(Pointer::Hourglass);
        showBarText(run::WaitingForOther);
        ProgressBar1->setToolTip(StopTip);
    });
    connect(&conversion, &run::Conversion::itemStarted, this, &Form1::showItem);
    connect(&conversion, &run::Conversion::itemDone, this,
            [this] { setPointer(Pointer::Default); });
    // A failure is shown before the next item takes its turn, as the run waits for the box.
    connect(&conversion, &run::Conversion::failed, this,
            [this, running = &conversion](int step, const QString& what) {
                running->hold();
                showInTurn([this, running, step, what] {
                    errorreport::ShowErrorReport(*services.dialogs, this,
                                                 errorreport::labels::PushButton2, step, what);
                    running->release();
                });
            });
    connect(&conversion, &run::Conversion::finished, this,
            [this, running = &conversion](const QString& message, const QString& details,
                                          const QString& inOneLine) {
                showInTurn([=, this] {
                    setPointer(Pointer::Default);
                    ProgressBar1->setValue(0);
                    showBarText(QStringLiteral("Progress Bar"));
                    ProgressBar1->setToolTip(QString());
                    tellDesktop(inOneLine);
                    services.dialogs->messageBox(this, message, applicationTitle,
                                                 platform::Buttons::Ok, platform::Icon::None,
                                                 details);
                    // The next press starts a run again.
                    Converting = false;
                    activeRun = nullptr;
                    running->deleteLater();
                });
            });
}

// The busy pointer, the bar's share and its "Processing: " text for item `index` of `count`.
void Form1::showItem(int index, int count, const QString& source) {
    errorreport::Guarded g(
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton2));
    setPointer(Pointer::Hourglass);
    g.run(120,
          [&] { ProgressBar1->setValue(static_cast<int>(std::lround(100.0 * index / count))); });
    g.run(124,
          [&] { showBarText(QStringLiteral("Processing: ") + paths::GetFileNamePart(source)); });
    ProgressBar1->setToolTip(StopTip);
    if (services.desktop)
        services.desktop->showProgress(ProgressBar1->value() / 100.0);
}

void Form1::tellDesktop(const QString& inOneLine) {
    if (!services.desktop)
        return;
    services.desktop->clearProgress();
    // The user, working elsewhere, learns that the run is over; in the window the closing
    // message tells it.
    if (!isActiveWindow())
        services.desktop->notify(applicationTitle, inOneLine);
}

void Form1::showBarText(const QString& text) {
    // The bar's text is a format in which "%p", "%v" and "%m" stand for numbers; an invisible
    // word joiner after each "%" keeps the text as it is.
    ProgressBar1->setFormat(QString(text).replace(QLatin1Char('%'), QStringLiteral("%\u2060")));
    ProgressBar1->setAccessibleName(text);
}

void Form1::Form_EscapePressed() {
    if (!activeRun || activeRun->stopping() || !activeRun->running())
        return;
    // No item takes its turn while the question is open, so "the current file" stays the one
    // shown.
    const QPointer<run::Conversion> running = activeRun;
    running->hold();
    const bool stop = services.dialogs->messageBox(this, run::StopQuestion, applicationTitle,
                                                   platform::Buttons::YesNo,
                                                   platform::Icon::None) == platform::Answer::Yes;
    if (!running)
        return;
    if (stop)
        running->stopAfterCurrentItem();
    running->release();
}
