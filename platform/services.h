#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace platform {

class Dialogs;
class Shell;
class RandomSource;
class Printers;
class Launcher;
class Printing;

// The outside services the window and its procedures use. The program passes the real ones
// (ProductionServices); tests pass fakes for what they cannot drive.
struct Services {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    RandomSource* random = nullptr;
    Printers* printers = nullptr;
    // The application folder: where ps/, Samples/, HAND-M.CUR and drag.ico are looked for.
    QString applicationFolder;
    // Ends the program at once (closing the window does this, also in the middle of work).
    std::function<void()> endProgram;
    // Starts programs and follows them (the batch file of the conversion).
    Launcher* launcher = nullptr;
    // The application's current printer, which the conversion prints on.
    Printing* printing = nullptr;
};

// The real services, created once and kept for the life of the program.
Services ProductionServices();

} // namespace platform
