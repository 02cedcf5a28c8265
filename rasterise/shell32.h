#pragma once

#include "platform/failure.h"
#include "platform/launcher.h"

#include <QString>
#include <optional>

class QWidget;

// Starting files as the shell opens them, with the shell's failure codes turned into numbered
// errors, and waiting for a started program while the window stays responsive.
namespace Shell32 {

// The record of a failed start: number, message (the description) and source text (the
// program's file name without extension followed by ".GShell").
using ShellLaunchError = platform::Failure;

struct ShellResult {
    int result = 0;       // above 32 on success, otherwise the shell's failure code
    qint64 processId = 0; // the started process, 0 when none
    std::optional<ShellLaunchError> error;
    QString reason; // what the system said of a failed start, when it said anything
};

// The numbered error for a shell failure code (0 to 32).
ShellLaunchError LaunchErrorFor(int code);

// Starts `file`. A file name containing ".EXE" (any case) is started hidden; with neither
// parameters nor directory the show state is always 1 (normal). Never throws: a failure comes
// back as the result code and the error record.
ShellResult ShellExecuteFile(platform::Launcher& launcher, const QString& file, int showState,
                             const QString& parameters, const QString& directory,
                             const QString& verb, QWidget* owner = nullptr,
                             const platform::Ceiling& ceiling = {});

// What ShellAndWait answers when it has no exit code to give.
constexpr int LaunchFailed = -1;
constexpr int TimedOut = -2;

// Opens `file` in `directory` and waits for the started program: it reads the program's exit
// status, yields to the window, pauses up to 100 ms (the pause ends the moment the program
// does), and stops once the status read was not "still active". After `timeLimitMs` the program and
// everything it started are ended and TimedOut is answered. Otherwise answers the exit code, or
// LaunchFailed when nothing started. Show states outside 0 to 6 become 6. `ceiling` bounds the
// program and everything it starts (see platform::Ceiling). When nothing started,
// `launchFailure` (if given) receives the error's message and the reason.
int ShellAndWait(platform::Launcher& launcher, const QString& file, int showState,
                 const QString& directory, int timeLimitMs, const platform::Ceiling& ceiling = {},
                 QString* launchFailure = nullptr);

} // namespace Shell32
