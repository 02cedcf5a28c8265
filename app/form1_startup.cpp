// Start-up: dressing the window and restoring the user's choices.
#include "app/form1.h"

#include "app/errorbox.h"
#include "app/joblist.h"
#include "app/layout.h"
#include "app/settings.h"
#include "common/apptitle.h"
#include "common/resolution.h"
#include "convert/pdfoutput.h"
#include "platform/cursorfile.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/random.h"
#include "platform/shell.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTreeView>
#include <algorithm>
#include <cmath>

namespace {
const QString HomePage = QStringLiteral("https://www.marrowind.example/");
}

void Form1::Form_Load() {
    errorreport::Guarded g(
        errorreport::Showing(*services.dialogs, this, errorreport::labels::FormLoad));
    const QString appFolder = services.applicationFolder;

    g.run(100, [&] { ApplySkin(); });
    const QString handFile = appFolder + QStringLiteral("/HAND-M.CUR");
    if (g.holdsOrFails(102, [&] { return platform::PathExists(handFile); }))
        g.run(104, [&] {
            handCursor = platform::LoadCursorFile(handFile);
            if (!handCursor)
                platform::Raise(platform::errors::InvalidPicture, {});
        });
    g.run(106, [&] { OpenHomePageAtRandom(); });
    g.run(130, [&] { setWindowTitle(apptitle::ProductName); });
    g.run(130, [&] {
        const auto icon = platform::LoadIconFile(QStringLiteral(":/pellarine.ico"));
        if (!icon)
            platform::Raise(platform::errors::InvalidPicture, {});
        setWindowIcon(*icon);
    });
    g.run(130, [&] { SetApplicationTitle(); });
    g.run(132, [&] {
        jobList->setHeader(QStringLiteral("EPS File(s)"));
        ListView1->setAccessibleName(QStringLiteral("EPS File(s)")); // named by its column
    });
    g.run(134, [&] { ListView1->header()->resizeSection(0, layout::Px(7000, layoutScale)); });
    restoreChoices(g);
    g.run(152, [&] {
        pdfoutput::CheckPdfWriterInstalled(*services.printers, *services.dialogs, this,
                                           applicationTitle);
    });
}

// The user's choices as the settings store holds them: the output folder, the quality, the
// resolution and the output option, with the folder panel enabled to match.
void Form1::restoreChoices(errorreport::Guarded& g) {
    g.run(136, [&] {
        // The desktop, or the home folder for a user who has no desktop folder.
        const QString desktop = platform::GetDesktopFolder();
        Text1->setText(settings::ReadSetting(settings::OutputFolder, desktop));
    });
    g.run(138, [&] {
        const double stored = settings::LeadingNumber(
            settings::ReadSetting(settings::JPGQuality, QStringLiteral("75")));
        // A stored quality outside 0..100 is clamped into the slider's range.
        Slider1->setValue(static_cast<int>(std::clamp<long long>(
            settings::RoundHalfEven(stored), Slider1->minimum(), Slider1->maximum())));
    });
    g.run(138, [&] {
        // A resolution that is not one of the menu's is the default.
        Resolution = resolution::FromText(settings::ReadSetting(settings::Resolution, {}))
                         .value_or(resolution::Default);
        showResolution();
    });
    g.run(140, [&] { showQuality(); });
    g.run(142, [&] {
        setOption(Option1, settings::ToBoolean(
                               settings::ReadSetting(settings::Option1, QStringLiteral("1"))));
    });
    g.run(144, [&] {
        setOption(Option2, settings::ToBoolean(
                               settings::ReadSetting(settings::Option2, QStringLiteral("0"))));
    });
    if (g.holdsOrFails(146, [&] { return Option1->isChecked(); }))
        g.run(148, [&] { Frame4->setEnabled(true); });
    else
        g.run(150, [&] { Frame4->setEnabled(false); });
}

// Selects or clears one of the two options. Clearing goes around the group's exclusivity, so
// that a store holding "False" for both leaves neither selected.
void Form1::setOption(QRadioButton* option, bool selected) {
    if (selected) {
        option->setChecked(true);
        return;
    }
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void Form1::ApplySkin() {
    const QString skinFile = services.applicationFolder + QStringLiteral("/x/o.cjs");
    if (!platform::IsNormalFile(skinFile))
        return;
    const QColor face = palette().color(QPalette::Button);
    auto paint = [&](QWidget* w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, face);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    paint(this);
    for (QWidget* w : {static_cast<QWidget*>(Option1), static_cast<QWidget*>(Option2),
                       static_cast<QWidget*>(Frame2), static_cast<QWidget*>(Frame3),
                       static_cast<QWidget*>(Frame4), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3)})
        paint(w);
    SkinFramework1.LoadSkin(skinFile);
    SkinFramework1.ApplyWindow(this);
}

void Form1::SetApplicationTitle() {
    applicationTitle = apptitle::TitleFromProductName(apptitle::ProductName);
}

void Form1::OpenHomePageAtRandom() {
    services.random->seedFromTimeOfDay();
    const int n = static_cast<int>(std::floor(services.random->next() * 100.0)) + 1;
    if (n == 7 && !services.shell->open(HomePage))
        platform::Raise(platform::errors::FileNotFound, {});
}
