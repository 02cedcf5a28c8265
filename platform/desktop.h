#pragma once

#include <QString>

namespace platform {

// What the desktop shows of the program outside its window: a run's progress on the program's
// entry in the task bar or dock, and a notification. Where the desktop offers neither, nothing
// is shown and nothing is said; no call waits for the desktop.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows `share` (0 to 1) of the work as done on the program's entry.
    virtual void showProgress(double share) = 0;
    // Takes the progress off the program's entry.
    virtual void clearProgress() = 0;
    // A notification: a title and one line.
    virtual void notify(const QString& title, const QString& line) = 0;
};

} // namespace platform
