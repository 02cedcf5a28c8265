#pragma once

#include "app/form1.h"
#include "app/joblist.h"
#include "fakes.h"
#include "scratchhome.h"

#include <QSettings>
#include <memory>

namespace testing {

// The controls a test drives and the state it checks, typed, by the window's own names (the
// window keeps them private).
struct Controls {
    explicit Controls(Form1& form);

    QPushButton* const PushButton1;
    QPushButton* const PushButton2;
    QPushButton* const PushButton3;
    QPushButton* const PushButton4;
    QPushButton* const PushButton5;
    QPushButton* const PushButton6;
    QPushButton* const PushButton7;
    QTreeView* const ListView1;
    QGroupBox* const Frame2;
    QGroupBox* const Frame3;
    QGroupBox* const Frame4;
    QSlider* const Slider1;
    QLabel* const Label2;
    QRadioButton* const Option1;
    QRadioButton* const Option2;
    QLineEdit* const Text1;
    QProgressBar* const ProgressBar1;
    QMenu* const ResolutionMenu;
    JobListModel& jobs;
    bool& Converting;
    const int& ghostscriptTimeLimitMs;
    const qint64& ghostscriptMemoryLimitBytes;
    const int& Resolution;
};

inline Controls ControlsOf(Form1& form) { return Controls(form); }

// A private home, the fakes, and a main window made from them.
struct FormFixture {
    ScratchHome home;
    FakeServices fakes;
    std::unique_ptr<Form1> form;

    // Creates the window, which runs its start-up sequence.
    Form1& create() {
        form = std::make_unique<Form1>(fakes.services());
        return *form;
    }
};

// The job list's rows, first to last.
QStringList ListedPaths(const Form1& form);

// Reads the settings store file directly, bypassing the program's own reader.
std::optional<QString> StoredSetting(const QString& key);
void StoreSetting(const QString& key, const QString& value);

} // namespace testing
