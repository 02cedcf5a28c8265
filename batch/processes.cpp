#include "batch/processes.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

#include <dirent.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace batch {

namespace {

// The parent of a process as /proc tells it; 0 when it cannot be read.
pid_t ParentOf(const char* pid) {
    std::ifstream stat(std::string("/proc/") + pid + "/stat");
    std::string text;
    std::getline(stat, text);
    // "pid (name) state ppid ...": the name may hold blanks and parentheses, so look after its end.
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos || end + 4 >= text.size())
        return 0;
    return static_cast<pid_t>(std::strtol(text.c_str() + end + 4, nullptr, 10));
}

// Every process below `root`, by walking the parent links of all processes.
std::vector<pid_t> ProcessesBelow(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (pid > 0 && *end == 0)
                children.emplace(ParentOf(entry->d_name), static_cast<pid_t>(pid));
        }
        ::closedir(proc);
    }
    std::vector<pid_t> below;
    std::vector<pid_t> parents{root};
    while (!parents.empty()) {
        const pid_t parent = parents.back();
        parents.pop_back();
        const auto [from, to] = children.equal_range(parent);
        for (auto it = from; it != to; ++it) {
            below.push_back(it->second);
            parents.push_back(it->second);
        }
    }
    return below;
}

} // namespace

void BecomeReaperOfDescendants() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

void EndEverythingBelow() {
    for (;;) {
        int status = 0;
        pid_t reaped;
        while ((reaped = ::waitpid(-1, &status, WNOHANG)) > 0) {
        }
        if (reaped < 0 && errno == EINTR)
            continue;
        if (reaped < 0)
            return; // no child: as the reaper of this tree, nothing is left below
        // Stopped first, so that none can start another while the others are being ended.
        const std::vector<pid_t> below = ProcessesBelow(::getpid());
        for (const pid_t pid : below)
            ::kill(pid, SIGSTOP);
        for (const pid_t pid : below)
            ::kill(pid, SIGKILL);
        // One ends; then look again, as its own children have become ours.
        while (::waitpid(-1, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

} // namespace batch
