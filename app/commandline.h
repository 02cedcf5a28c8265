#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace app {

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action {
        Run,   // open the window with `paths`
        Print, // print `text` on standard output and end (--help, --version)
        Fail,  // print `text` on standard error and end with status 2
    };
    Action action = Action::Run;
    QString text;
    // The files and folders named, in the given order, each made absolute against the current
    // folder.
    QStringList paths;
    // The files and folders named that exist but whose names are not valid UTF-8, so that no
    // path the program makes can name them: made absolute, undecodable bytes shown as "?".
    QStringList leftOut;
    // The resolution chosen with --resolution, in dots per inch; nothing when none was.
    std::optional<int> resolution;
};

// Reads the arguments (the first is the program itself), before Qt has taken its own options
// out of them or after. --help and --version win over any other argument, also over options
// the program does not know; "--" ends the options, so a file whose name starts with "-" can
// follow it. A file or folder argument that is among `undecodable` (see RawArguments) goes to
// `leftOut` instead of `paths`.
CommandLine ParseCommandLine(const QStringList& arguments, const QStringList& undecodable = {});

// The arguments as the system passed them, before any Qt object exists. `undecodable`, when
// given, receives those arguments (as text, as Qt reads them) whose bytes are not valid UTF-8
// and name something that exists.
QStringList RawArguments(int argc, char** argv, QStringList* undecodable = nullptr);

} // namespace app
