// pellarine-batch: the small command interpreter that runs the program's batch files.
//
//     pellarine-batch FILE
//
// Runs the lines of FILE in order, each to its end, whatever the previous one returned. A line
// is split into words on blanks; double quotes group blanks into a word and are dropped. The
// CR of a CR LF line end is ignored, and empty lines are skipped. The first word names the
// command: "del" (any case) is built in and deletes the named files; any other command is
// looked up in the current folder first, then along PATH. A script that cannot be executed
// directly (a folder mounted without execution rights) runs through the interpreter its "#!"
// line names. The exit code is that of the last line. On SIGTERM or SIGHUP the running command
// is ended and reaped before the interpreter leaves, so nothing it started is left behind.
//
// Beside FILE the interpreter keeps a log (FILE with ".log" for its extension) of every line:
//
//     > the command line
//     | what the command printed, line by line (standard output and error together)
//     = its exit status (128 + n when ended by signal n)
//
// What a command prints is bounded: its first and last lines are kept, the middle left out.
#include "platform/batchlog.h"
#include "platform/commandwords.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
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

bool IsRegular(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsProgram(const std::string& path) {
    return IsRegular(path) && ::access(path.c_str(), X_OK) == 0;
}

// The current folder first, then every folder of PATH. A file of the current folder counts
// even without execution rights: it may be a script on a folder mounted "noexec".
std::string FindCommand(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    if (IsRegular("./" + name))
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

// The interpreter and its one optional argument named by a script's "#!" line; empty when the
// file is no script.
std::vector<std::string> ScriptInterpreter(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string first;
    if (!file || !std::getline(file, first) || first.rfind("#!", 0) != 0)
        return {};
    std::istringstream words(first.substr(2));
    std::vector<std::string> interpreter;
    std::string word;
    if (words >> word)
        interpreter.push_back(word);
    std::string rest;
    std::getline(words, rest);
    rest.erase(0, rest.find_first_not_of(" \t"));
    rest.erase(rest.find_last_not_of(" \t\r") + 1);
    if (!interpreter.empty() && !rest.empty())
        interpreter.push_back(rest);
    return interpreter;
}

// Writes what a command prints into the log, each line after "| ". The first HeadBytes are
// written as they come; after that only the last TailBytes are kept, and written at the end
// behind a note of how much was left out.
class OutputLog {
public:
    explicit OutputLog(std::FILE* log) : log(log) {}

    void take(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\n')
                endLine();
            else if (data[i] != '\r' && line.size() < platform::batchlog::LongestLine)
                line += data[i];
        }
    }

    void finish() {
        if (!line.empty())
            endLine();
        if (leftOut > 0)
            std::fprintf(log, "%s[%zu lines left out]\n", platform::batchlog::OutputMark, leftOut);
        for (const std::string& kept : tail)
            std::fprintf(log, "%s%s\n", platform::batchlog::OutputMark, kept.c_str());
        std::fflush(log);
    }

private:
    void endLine() {
        if (written < platform::batchlog::HeadBytes) {
            std::fprintf(log, "%s%s\n", platform::batchlog::OutputMark, line.c_str());
            written += line.size() + 1;
        } else {
            tail.push_back(line);
            tailBytes += line.size() + 1;
            while (tailBytes > platform::batchlog::TailBytes) {
                tailBytes -= tail.front().size() + 1;
                tail.pop_front();
                ++leftOut;
            }
        }
        line.clear();
    }

    std::FILE* log;
    std::string line;
    std::size_t written = 0;
    std::deque<std::string> tail;
    std::size_t tailBytes = 0;
    std::size_t leftOut = 0;
};

int Delete(const std::vector<std::string>& words, std::FILE* log) {
    int result = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        struct stat st {};
        if (::lstat(words[i].c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
            ::unlink(words[i].c_str()) != 0) {
            std::fprintf(log, "%sCould Not Find %s\n", platform::batchlog::OutputMark,
                         words[i].c_str());
            result = 1;
        }
    }
    return result;
}

int Run(std::vector<std::string> words, std::FILE* log) {
    std::string program = FindCommand(words[0]);
    if (program.empty()) {
        std::fprintf(log, "%s'%s' is not recognized as an internal or external command.\n",
                     platform::batchlog::OutputMark, words[0].c_str());
        return 127;
    }
    words[0] = program;
    if (!IsProgram(program)) {
        const std::vector<std::string> interpreter = ScriptInterpreter(program);
        if (interpreter.empty()) {
            std::fprintf(log, "%s'%s' cannot be run: %s\n", platform::batchlog::OutputMark,
                         program.c_str(), std::strerror(EACCES));
            return 126;
        }
        words.insert(words.begin(), interpreter.begin(), interpreter.end());
        program = interpreter.front();
    }
    std::vector<char*> argv;
    for (const std::string& w : words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return 1;
    const pid_t self = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(output[0]);
        ::close(output[1]);
        return 1;
    }
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != self)
            ::_exit(127);
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        ::execve(program.c_str(), argv.data(), environ);
        const int error = errno;
        const std::string message = "'" + words[0] + "' cannot be run: " + std::strerror(error);
        [[maybe_unused]] const auto written = ::write(2, message.c_str(), message.size());
        ::_exit(error == ENOENT ? 127 : 126);
    }
    runningChild = child;
    ::close(output[1]);
    OutputLog printed(log);
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        printed.take(buffer, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    printed.finish();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    runningChild = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunLine(std::string line, std::FILE* log) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::vector<std::string> words = platform::SplitCommandWords(line);
    if (words.empty())
        return -1;
    std::fprintf(log, "%s%s\n", platform::batchlog::CommandMark, line.c_str());
    std::fflush(log);
    std::string command = words[0];
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const int result = command == "del" ? Delete(words, log) : Run(words, log);
    std::fprintf(log, "%s%d\n", platform::batchlog::StatusMark, result);
    std::fflush(log);
    return result;
}

// The log's path: the batch file's with ".log" for its extension.
std::string LogPathOf(const std::string& batchFile) {
    const std::size_t slash = batchFile.rfind('/');
    const std::size_t dot = batchFile.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? batchFile.substr(0, dot) : batchFile) + ".log";
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
    ::signal(SIGPIPE, SIG_IGN);

    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "The batch file %s cannot be found.\n", argv[1]);
        return 1;
    }
    // The log replaces whatever is at its path, a link included, and only this user reads it.
    const std::string logPath = LogPathOf(argv[1]);
    ::unlink(logPath.c_str());
    const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    std::FILE* log = logFd >= 0 ? ::fdopen(logFd, "w") : nullptr;
    if (!log)
        log = stderr;
    int result = 0;
    std::string line;
    while (std::getline(file, line)) {
        const int lineResult = RunLine(line, log);
        if (lineResult >= 0)
            result = lineResult;
    }
    if (log != stderr)
        std::fclose(log);
    return result;
}
