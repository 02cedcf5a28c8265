#pragma once

#include "common/errorreport.h"

#include <QString>
#include <functional>

class QWidget;

namespace platform {
class Dialogs;
}

namespace intake {

// One value of the window's settings store: its stored text (or its default when it was never
// written), and storing a new one, which may raise a failure.
struct Setting {
    std::function<QString()> read;
    std::function<void(const QString&)> write;
};

// What the ways into the job list use of the window they fill. The window makes one for each
// press, drop or hand-over.
struct Window {
    platform::Dialogs& dialogs;
    // The owner of the dialogs and messages shown.
    QWidget* owner = nullptr;
    // The caption of the messages that name none of their own: the application title.
    QString title;
    // Appends one row to the job list (AddToList).
    std::function<void(const QString&)> append;
    // True when a row's text is exactly this path (IsInList).
    std::function<bool(const QString&)> isListed;
    // Shows the first row appended since the window made this, when it is not in sight.
    std::function<void()> showAdded;
    // Shows the busy pointer (true), and takes it away again (false).
    std::function<void(bool)> busy;
    // The extension "Add All" was last given ("eps" at first), and the folder it last scanned.
    Setting extension;
    Setting lastFolder;
    // How the sub-folder collection, which has an error report of its own, tells its failures.
    errorreport::Report scanReport;
};

} // namespace intake
