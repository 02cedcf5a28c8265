#pragma once

#include <QString>
#include <functional>

namespace platform {
class Desktop;
class Dialogs;
class Shell;
class RandomSource;
class Printers;
class Launcher;
class Printing;
} // namespace platform

namespace app {

// The outside services the window and its procedures use. The program passes the real ones
// (main.cpp); tests pass fakes for what they cannot drive.
struct Services {
    platform::Dialogs* dialogs = nullptr;
    platform::Shell* shell = nullptr;
    platform::RandomSource* random = nullptr;
    platform::Printers* printers = nullptr;
    // The application folder: where ps/, Samples/, HAND-M.CUR and drag.ico are looked for.
    QString applicationFolder;
    // Ends the program at once (closing the window does this, also in the middle of work).
    std::function<void()> endProgram;
    // Starts programs and follows them (the batch file of the conversion).
    platform::Launcher* launcher = nullptr;
    // The application's current printer, which the conversion prints on.
    platform::Printing* printing = nullptr;
    // The task bar entry and notifications: a run's progress seen from outside the window.
    // Without it, nothing is shown there.
    platform::Desktop* desktop = nullptr;
};

} // namespace app
