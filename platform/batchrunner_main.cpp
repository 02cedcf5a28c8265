// pellarine-batch: the small command interpreter that runs the program's batch files.
//
//     pellarine-batch FILE
//
// Runs the lines of FILE in order, each to its end, whatever the previous one returned. A line
// is split into words on blanks; double quotes group blanks into a word and are dropped. The
// CR of a CR LF line end is ignored, and empty lines are skipped. The first word names the
// command: "del" (any case) is built in and deletes the named files; any other command is
// looked up in the current folder first, then along PATH. The exit code is that of the last
// line. On SIGTERM or SIGHUP the running command is ended and reaped before the interpreter
// leaves, so nothing it started is left behind.
#include "platform/commandwords.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

volatile sig_atomic_t runningChild = 0;

void EndRunningChild(int signal) {
    const pid_t child = runningChild;
    if (child > 0) {
        ::kill(child, SIGKILL);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::_exit(128 + signal);
}

bool IsProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The current folder first, then every folder of PATH.
std::string FindCommand(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    if (IsProgram("./" + name))
        return "./" + name;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (IsProgram(candidate))
            return candidate;
    }
    return {};
}

int Delete(const std::vector<std::string>& words) {
    int result = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        struct stat st {};
        if (::lstat(words[i].c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
            ::unlink(words[i].c_str()) != 0) {
            std::fprintf(stderr, "Could Not Find %s\n", words[i].c_str());
            result = 1;
        }
    }
    return result;
}

int Run(const std::vector<std::string>& words) {
    const std::string program = FindCommand(words[0]);
    if (program.empty()) {
        std::fprintf(stderr, "'%s' is not recognized as an internal or external command.\n",
                     words[0].c_str());
        return 127;
    }
    std::vector<char*> argv;
    for (const std::string& w : words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const pid_t self = ::getpid();
    const pid_t child = ::fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != self)
            ::_exit(127);
        ::execve(program.c_str(), argv.data(), environ);
        std::fprintf(stderr, "'%s' cannot be run.\n", words[0].c_str());
        ::_exit(127);
    }
    runningChild = child;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    runningChild = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunLine(std::string line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::vector<std::string> words = platform::SplitCommandWords(line);
    if (words.empty())
        return -1;
    std::string command = words[0];
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (command == "del")
        return Delete(words);
    return Run(words);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellarine-batch FILE\n");
        return 2;
    }
    struct sigaction end {};
    end.sa_handler = EndRunningChild;
    sigemptyset(&end.sa_mask);
    ::sigaction(SIGTERM, &end, nullptr);
    ::sigaction(SIGHUP, &end, nullptr);

    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "The batch file %s cannot be found.\n", argv[1]);
        return 1;
    }
    int result = 0;
    std::string line;
    while (std::getline(file, line)) {
        const int lineResult = RunLine(line);
        if (lineResult >= 0)
            result = lineResult;
    }
    return result;
}
