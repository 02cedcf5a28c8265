// pellarine-batch: the small command interpreter that runs the program's batch files.
//
//     pellarine-batch FILE
//
// Runs the lines of FILE in order, each to its end, whatever the previous one returned. A line
// is split into words on blanks; double quotes group blanks into a word and are dropped. The
// CR of a CR LF line end is ignored, and empty lines are skipped. The first word names the
// command: "del" (any case) is built in and deletes the named files; any other command is
// looked up in the current folder first, then along PATH, and runs confined to drawing (see
// confine.h), under one ceiling with all it starts (see ceiling.h) and with only the environment
// it needs (see environment.h). A script that cannot be executed directly (a folder mounted without
// execution rights) runs through the interpreter its "#!" line names. The exit code is that of the
// last line. On SIGTERM or SIGHUP everything the running command started is ended and reaped before
// the interpreter leaves, also what left its process group, so nothing is left behind.
//
// Beside FILE the interpreter keeps a log (FILE with ".log" for its extension):
//
//     # what confinement is in force, once
//     # what ceiling holds, once
//     > the command line
//     | what the command printed, line by line (standard output and error together)
//     = its exit status (128 + n when ended by signal n)
//     # that the memory ceiling ended a process of it, when it did
//
// What a command prints is bounded: its first and last lines are kept, the middle left out.
#include "batch/command.h"
#include "batch/processes.h"
#include "batch/signals.h"
#include "rasterise/ceiling.h"
#include "rasterise/logformat.h"
#include "rasterise/tempfolder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The log's path: the batch file's with ".log" for its extension.
std::string LogPathOf(const std::string& batchFile) {
    const std::size_t slash = batchFile.rfind('/');
    const std::size_t dot = batchFile.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? batchFile.substr(0, dot) : batchFile) + ".log";
}

// The folder that holds the batch file, as an absolute path without links.
std::string FolderOf(const std::string& batchFile) {
    char resolved[PATH_MAX];
    if (!::realpath(batchFile.c_str(), resolved))
        return {};
    std::string path = resolved;
    return path.substr(0, std::max<std::size_t>(path.rfind('/'), 1));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellarine-batch FILE\n");
        return 2;
    }
    batch::signals::Install();
    batch::BecomeReaperOfDescendants();

    std::ifstream file(argv[1], std::ios::binary);
    const std::string folder = FolderOf(argv[1]);
    if (!file || folder.empty()) {
        std::fprintf(stderr, "The batch file %s cannot be found.\n", argv[1]);
        return 1;
    }
    // The log replaces whatever is at its path, a link included, and only this user reads it.
    // It is made read-only: this descriptor writes it, the commands it runs cannot.
    const std::string logPath = LogPathOf(argv[1]);
    ::unlink(logPath.c_str());
    const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0400);
    std::FILE* log = logFd >= 0 ? ::fdopen(logFd, "w") : nullptr;
    if (!log) {
        std::fprintf(stderr, "The log %s cannot be made: %s\n", logPath.c_str(),
                     std::strerror(errno));
        return batchlog::NoLogStatus;
    }

    confine::Confinement confinement = confine::ProbeConfinement();
    const confine::Ceiling ceiling = confine::ProbeCeiling(!confinement.filter.empty());
    if (ceiling.oneProcess)
        confinement.oneProcess = confine::OneProcessProgram();
    const batch::Context context{log, folder, confinement};
    std::fprintf(log, "%s%s\n", batchlog::NoteMark, context.confinement.describe().c_str());
    std::fprintf(log, "%s%s\n", batchlog::NoteMark, ceiling.describe().c_str());
    confine::RemoveLeftOverTemporaryFolders(folder);
    // Read whole before anything runs, so that no command can add lines to its own run.
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    file.close(); // not handed down to the commands
    int result = 0;
    for (const std::string& line : lines) {
        const long long kills = ceiling.memoryKills();
        const int lineResult = batch::RunLine(line, context);
        if (ceiling.memoryKills() > kills)
            std::fprintf(log, "%s%s\n", batchlog::NoteMark, batchlog::CeilingReached);
        if (lineResult >= 0)
            result = lineResult;
    }
    std::fclose(log);
    return result;
}
