#include "rasterise/shell32.h"

#include "platform/launcher.h"

namespace Shell32 {

namespace {

// Failure codes are offset by hex 80040418 when the run-time has no number of its own for them.
int ObjectError(int code) { return static_cast<int>(0x80040418u) + code; }

} // namespace

ShellLaunchError LaunchErrorFor(int code) {
    int number = ObjectError(code);
    QString message;
    switch (code) {
    case 0:
    case 8:
        number = 7;
        message = QStringLiteral("Out of memory");
        break;
    case 2:
        number = 53;
        message = QStringLiteral("File not found");
        break;
    case 3:
        number = 76;
        message = QStringLiteral("Path not found");
        break;
    case 5:
        number = 75;
        message = QStringLiteral("Path/file access error");
        break;
    case 11: message = QStringLiteral("The executable file is invalid or corrupt"); break;
    case 26:
        number = 75;
        message = QStringLiteral("A sharing violation occurred.");
        break;
    case 27:
        message = QStringLiteral("This file type does not have a valid file association.");
        break;
    case 28:
        number = 286;
        message = QStringLiteral(
            "The file could not be opened due to time out. Please try again in a moment.");
        break;
    case 29:
        number = 285;
        message = QStringLiteral("The file could not be opened because the DDE transaction "
                                 "failed. Please try again in a moment.");
        break;
    case 30:
        number = 285;
        message = QStringLiteral("The file could not be opened because the target application "
                                 "is busy. Please try again in a moment.");
        break;
    case 31: message = QStringLiteral("No application is associated with this file type."); break;
    case 32:
        number = 48;
        message = QStringLiteral("The specified dynamic-link library was not found.");
        break;
    default:
        message = QStringLiteral(
            "An error occurred occurred whilst trying to open or print the selected file.");
        break;
    }
    return ShellLaunchError(number, message);
}

ShellResult ShellExecuteFile(platform::Launcher& launcher, const QString& file, int showState,
                             const QString& parameters, const QString& directory,
                             const QString& verb, QWidget*, const platform::Ceiling& ceiling) {
    ShellResult outcome;
    try {
        if (file.toUpper().contains(QLatin1String(".EXE")))
            showState = 0;
        const bool plain = parameters.isEmpty() && directory.isEmpty();
        const platform::LaunchResult started =
            launcher.start(file, parameters, directory, verb, plain ? 1 : showState, ceiling);
        outcome.result = started.code;
        outcome.processId = started.processId;
        outcome.reason = started.reason;
    } catch (const std::exception& failure) {
        // Nothing escapes: the start counts as failed, and says why.
        outcome.result = platform::launch::OutOfResources;
        outcome.processId = 0;
        outcome.reason = QString::fromLocal8Bit(failure.what());
    }
    if (outcome.result >= 0 && outcome.result <= 32)
        outcome.error = LaunchErrorFor(outcome.result);
    return outcome;
}

} // namespace Shell32
