#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace intake {
struct Window;
}

// The program's command line: the files and folders it names, the resolution it chooses and how
// many Ghostscripts may work at once.
namespace commandline {

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
    // How many Ghostscripts may work at once, chosen with --jobs; nothing when none was.
    std::optional<int> ghostscripts;
};

// The most Ghostscripts --jobs, or the "Jobs" setting, may let work at once.
constexpr int MostGhostscripts = 1024;

// A count of Ghostscripts at once written in decimal, 1 to MostGhostscripts, blanks around it
// allowed; nothing for any other text.
std::optional<int> GhostscriptsFromText(const QString& text);

// Reads the arguments (the first is the program itself), before Qt has taken its own options
// out of them or after. --help and --version win over any other argument, also over options
// the program does not know; "--" ends the options, so a file whose name starts with "-" can
// follow it. A file or folder argument that is among `undecodable` (see RawArguments) goes to
// `leftOut` instead of `paths`. --resolution takes a listed resolution, --jobs what
// GhostscriptsFromText reads.
CommandLine ParseCommandLine(const QStringList& arguments, const QStringList& undecodable = {});

// The arguments as the system passed them, before any Qt object exists. `undecodable`, when
// given, receives those arguments (as text, as Qt reads them) whose bytes are not valid UTF-8
// and name something that exists.
QStringList RawArguments(int argc, char** argv, QStringList* undecodable = nullptr);

// Adds files and folders named on the command line, or handed over by a later start, to the
// window's job list: files as named, folders scanned as "Add All" scans them, with the extension
// it was given last. The busy pointer shows meanwhile. One message tells the paths not found,
// the names that are not valid UTF-8 (`leftOut`, the command line's own, and what the scans
// left out), and what stopped the adding, if anything did.
void AddNamedFiles(const intake::Window& window, const QStringList& paths,
                   const QStringList& leftOut);

} // namespace commandline
