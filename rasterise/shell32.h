#pragma once

#include "platform/failure.h"
#include "platform/launcher.h"

#include <QString>
#include <optional>

class QWidget;

// Starting files as the shell opens them, with the shell's failure codes turned into numbered
// errors. What was started is followed by its end (platform::Launcher::whenEnded), not waited
// for.
namespace Shell32 {

// The record of a failed start: number and message (the description).
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

} // namespace Shell32
