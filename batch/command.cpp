#include "batch/command.h"

#include "batch/commandwords.h"
#include "batch/processes.h"
#include "batch/signals.h"
#include "rasterise/environment.h"
#include "rasterise/logformat.h"
#include "rasterise/tempfolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace batch {

namespace {

namespace marks = batchlog;

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
    explicit OutputLog(std::FILE* file) : log(file) {}

    void take(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\n')
                endLine();
            else if (data[i] != '\r' && line.size() < marks::LongestLine)
                line += data[i];
        }
    }

    void finish() {
        if (!line.empty())
            endLine();
        if (leftOut > 0)
            std::fprintf(log, "%s[%zu %s left out]\n", marks::OutputMark, leftOut,
                         leftOut == 1 ? "line" : "lines");
        for (const std::string& kept : tail)
            std::fprintf(log, "%s%s\n", marks::OutputMark, kept.c_str());
        std::fflush(log);
    }

private:
    void endLine() {
        if (written < marks::HeadBytes) {
            std::fprintf(log, "%s%s\n", marks::OutputMark, line.c_str());
            written += line.size() + 1;
        } else {
            tail.push_back(line);
            tailBytes += line.size() + 1;
            while (tailBytes > marks::TailBytes) {
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
            std::fprintf(log, "%sCould Not Find %s\n", marks::OutputMark, words[i].c_str());
            result = 1;
        }
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Why a child could not run its program, told its parent through a pipe that the program's
// start closes.
struct ChildTrouble {
    int confining = 0; // 1 when the confinement failed, 0 when the program could not be run
    int error = 0;
};

// In the child: the output to the pipe, the confinement, then the program. Only system calls
// happen here, on what the parent prepared: a failure is told through `trouble`. Never returns.
[[noreturn]] void StartChild(pid_t parent, int output, int trouble, const Context& context,
                             int ruleset, const char* program, char* const* argv,
                             char* const* envp) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
    ::dup2(output, 1);
    ::dup2(output, 2);
    ::signal(SIGPIPE, SIG_DFL);
    ChildTrouble told;
    if (!confine::ConfineSelf(context.confinement, ruleset))
        told.confining = 1;
    else
        ::execve(program, argv, envp);
    told.error = errno;
    [[maybe_unused]] const auto written = ::write(trouble, &told, sizeof told);
    ::_exit(told.confining || told.error != ENOENT ? 126 : 127);
}

// Waits until the child has started its program or given up; when it gave up, says why in the
// command's output.
void TellTrouble(int trouble, const std::string& command, OutputLog& printed) {
    ChildTrouble told;
    ssize_t got;
    while ((got = ::read(trouble, &told, sizeof told)) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof told))
        return;
    const std::string message =
        told.confining
            ? command + " cannot be run: it cannot be confined: " + std::strerror(told.error) + "\n"
            : "'" + command + "' cannot be run: " + std::strerror(told.error);
    printed.take(message.data(), message.size());
}

// Ends the interpreter on a signal that asked it to: nothing below it is left running, and
// the command's temporary folder goes too.
[[noreturn]] void EndNow(OutputLog& printed, const std::string& temporary) {
    EndEverythingBelow();
    confine::RemoveTree(temporary);
    printed.finish();
    ::_exit(128 + signals::EndRequested());
}

// Follows the started command: its output into the log until it has ended, then whatever it
// left behind ended too and the rest of its output read. Answers its exit status.
int Follow(pid_t child, int output, OutputLog& printed, const std::string& temporary) {
    char buffer[8192];
    bool open = true;
    int status = 0;
    for (;;) {
        if (signals::EndRequested())
            EndNow(printed, temporary);
        if (::waitpid(child, &status, WNOHANG) == child)
            break;
        pollfd watched[2] = {{signals::WakeDescriptor(), POLLIN, 0}, {output, POLLIN, 0}};
        if (::poll(watched, open ? 2 : 1, -1) < 0 && errno != EINTR) {
            EndEverythingBelow(); // cannot be followed any more: ended, and counted as failed
            return 1;
        }
        signals::Drain();
        if (open && (watched[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t got = ::read(output, buffer, sizeof buffer);
            if (got > 0)
                printed.take(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                open = false;
        }
    }
    // Whatever the command left running goes, so its copies of the output close.
    EndEverythingBelow();
    for (ssize_t got; open && (got = ::read(output, buffer, sizeof buffer)) != 0;) {
        if (got > 0)
            printed.take(buffer, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            break;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts the confined command and follows it; the temporary folder exists for its whole life.
int Start(std::vector<std::string> words, const std::string& program, const Context& context,
          const std::string& temporary) {
    std::string error;
    const int ruleset = confine::MakeRuleset(context.confinement, context.folder, temporary, error);
    if (ruleset == -2) {
        std::fprintf(context.log, "%s'%s' cannot be run: it cannot be confined: %s\n",
                     marks::OutputMark, words[0].c_str(), error.c_str());
        return 126;
    }
    std::vector<std::string> environment = confine::CommandEnvironment(temporary);
    std::vector<char*> argv = Pointers(words);
    std::vector<char*> envp = Pointers(environment);
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return 1;
    int trouble[2];
    if (::pipe2(trouble, O_CLOEXEC) != 0) {
        ::close(output[0]);
        ::close(output[1]);
        return 1;
    }
    const pid_t self = ::getpid();
    const pid_t child = ::fork();
    if (child == 0)
        StartChild(self, output[1], trouble[1], context, ruleset, program.c_str(), argv.data(),
                   envp.data());
    if (ruleset >= 0)
        ::close(ruleset);
    ::close(output[1]);
    ::close(trouble[1]);
    OutputLog printed(context.log);
    if (child >= 0)
        TellTrouble(trouble[0], words[0], printed);
    ::close(trouble[0]);
    const int status = child < 0 ? 1 : Follow(child, output[0], printed, temporary);
    ::close(output[0]);
    printed.finish();
    return status;
}

int Run(std::vector<std::string> words, const Context& context) {
    std::string program = FindCommand(words[0]);
    if (program.empty()) {
        std::fprintf(context.log, "%s'%s' is not recognized as an internal or external command.\n",
                     marks::OutputMark, words[0].c_str());
        return 127;
    }
    words[0] = program;
    if (!IsProgram(program)) {
        const std::vector<std::string> interpreter = ScriptInterpreter(program);
        if (interpreter.empty()) {
            std::fprintf(context.log, "%s'%s' cannot be run: %s\n", marks::OutputMark,
                         program.c_str(), std::strerror(EACCES));
            return 126;
        }
        words.insert(words.begin(), interpreter.begin(), interpreter.end());
        program = interpreter.front();
    }
    const std::string temporary = confine::MakeTemporaryFolder(context.folder);
    if (temporary.empty()) {
        std::fprintf(context.log, "%s'%s' cannot be run: no temporary folder can be made: %s\n",
                     marks::OutputMark, program.c_str(), std::strerror(errno));
        return 126;
    }
    const int status = Start(std::move(words), program, context, temporary);
    confine::RemoveTree(temporary);
    return status;
}

} // namespace

int RunLine(std::string line, const Context& context) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::vector<std::string> words = SplitCommandWords(line);
    if (words.empty())
        return -1;
    std::fprintf(context.log, "%s%s\n", marks::CommandMark, line.c_str());
    std::fflush(context.log);
    std::string command = words[0];
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const int result = command == "del" ? Delete(words, context.log) : Run(words, context);
    std::fprintf(context.log, "%s%d\n", marks::StatusMark, result);
    std::fflush(context.log);
    return result;
}

} // namespace batch
