// The output options panel, its menu of resolutions, and the Help button.
#include "app/form1.h"

#include "app/errorbox.h"
#include "app/settings.h"
#include "common/apptitle.h"
#include "common/errorreport.h"
#include "common/resolution.h"
#include "help/help.h"
#include "platform/dialogs.h"
#include "platform/failure.h"

#include <QActionGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace {
// How often a message that waits for the mouse button to be released looks again.
constexpr int ButtonReleasePollMs = 50;
} // namespace

void Form1::storeSetting(const QString& key, const QString& value) {
    try {
        settings::WriteSetting(key, value);
        settingsFailureShown = false;
    } catch (const platform::Failure& failure) {
        if (settingsFailureShown)
            return;
        settingsFailureShown = true;
        // The handlers run inside the control's own event: a message box opened in the middle
        // of the slider's button press would take the release away from it, and the slider
        // would go on following the pointer.
        showWhenIdle(QStringLiteral("Your settings could not be saved (") + failure.description +
                     QStringLiteral(").\r\nThe program keeps working, but this choice will not "
                                    "be remembered at the next start."));
    }
}

void Form1::showWhenIdle(const QString& text) {
    QTimer::singleShot(0, this, [this, text] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton) {
            QTimer::singleShot(ButtonReleasePollMs, this, [this, text] { showWhenIdle(text); });
            return;
        }
        services.dialogs->messageBox(this, text, applicationTitle, platform::Buttons::Ok,
                                     platform::Icon::None);
    });
}

void Form1::showQuality() {
    Frame3->setTitle(QStringLiteral("PDF Quality: ") + QString::number(Slider1->value()) +
                     QLatin1Char('%'));
}

void Form1::buildResolutionMenu() {
    ResolutionMenu = new QMenu(this);
    ResolutionMenu->setAccessibleName(QStringLiteral("Resolution"));
    auto* choices = new QActionGroup(ResolutionMenu);
    for (const int resolution : resolution::Listed) {
        QAction* choice = ResolutionMenu->addAction(
            QStringLiteral("%1 dpi").arg(resolution) +
            (resolution == resolution::Default ? QStringLiteral(" (default)") : QString()));
        choice->setCheckable(true);
        choice->setData(resolution);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, resolution] { ResolutionMenu_Click(resolution); });
    }
    showResolution();
}

void Form1::showResolution() {
    for (QAction* choice : ResolutionMenu->actions())
        choice->setChecked(choice->data().toInt() == Resolution);
    // The tip is broken into short lines, as a tool tip wider than the window is hard to read;
    // the description read aloud is the same words on one line.
    const QString tip = QStringLiteral("Resolution: %1 dpi.\nRight-click here, or press the menu "
                                       "key, to choose %2 dpi:\nthe higher, the sharper the PDF, "
                                       "and the larger and slower to make.")
                            .arg(Resolution)
                            .arg(resolution::InWords());
    Slider1->setToolTip(tip);
    Slider1->setAccessibleDescription(QString(tip).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

void Form1::Slider1_ContextMenu(const QPoint& globalPosition) {
    showResolution();
    ResolutionMenu->popup(globalPosition);
}

void Form1::ResolutionMenu_Click(int resolution) {
    Resolution = resolution;
    showResolution();
    storeSetting(settings::Resolution, QString::number(resolution));
}

void Form1::Option1_Click() {
    storeSetting(settings::Option1, settings::BooleanText(Option1->isChecked()));
    storeSetting(settings::Option2, settings::BooleanText(Option2->isChecked()));
    Frame4->setEnabled(Option1->isChecked());
}

// Both options run the same steps, whichever was clicked.
void Form1::Option2_Click() { Option1_Click(); }

void Form1::Text1_Change() { storeSetting(settings::OutputFolder, Text1->text()); }

void Form1::Slider1_Change() {
    showQuality();
    storeSetting(settings::JPGQuality, QString::number(Slider1->value()));
}

void Form1::PushButton4_Click() {
    errorreport::Guarded g(
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton4));
    QString folder;
    g.run(100, [&] {
        const QString start = settings::ReadSetting(settings::LastFolder, QString());
        folder =
            services.dialogs->browseForFolder(this, QStringLiteral("Please select folder:"), start);
    });
    if (g.holdsOrFails(102, [&] { return folder.isEmpty(); }))
        return;
    g.run(104, [&] { settings::WriteSetting(settings::LastFolderDot, folder); });
    if (g.holdsOrFails(104, [&] { return folder.endsWith(QLatin1Char('/')); }))
        g.run(108, [&] { Text1->setText(folder); });
    else
        g.run(106, [&] { Text1->setText(folder + QLatin1Char('/')); });
}

void Form1::PushButton5_Click() {
    errorreport::Guarded g(
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton5));
    g.run(100, [&] {
        services.dialogs->addressBox(this, help::HelpText(), applicationTitle,
                                     {help::EpsViewerAddress, help::ContactAddress});
    });
}
