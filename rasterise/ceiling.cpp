#include "rasterise/ceiling.h"

#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace confine {

namespace {

// The control group of this process in the unified hierarchy, as a folder; empty when none.
std::string OwnGroupFolder() {
    std::ifstream groups("/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);)
        if (line.rfind("0::", 0) == 0)
            return "/sys/fs/cgroup" + line.substr(3);
    return {};
}

// The number a control group file holds; -1 for "max", a missing file or anything else.
long long NumberIn(const std::string& path) {
    std::ifstream file(path);
    long long value = -1;
    return file >> value ? value : -1;
}

// Whether this process is the only one in the group: a group it shares with others (a whole
// session's) is not a ceiling of its own.
bool AloneIn(const std::string& folder) {
    std::ifstream members(folder + "/cgroup.procs");
    std::vector<long long> pids;
    for (long long pid; members >> pid;)
        pids.push_back(pid);
    return pids.size() == 1 && pids.front() == ::getpid();
}

std::string Megabytes(long long bytes) { return std::to_string(bytes >> 20) + " MB"; }

// The ceiling of one kind of resource set by whoever started the interpreter; 0 for none.
long long Limit(int resource) {
    rlimit limit{};
    return ::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
               ? static_cast<long long>(limit.rlim_cur)
               : 0;
}

} // namespace

Ceiling ProbeCeiling(bool canFilter) {
    Ceiling ceiling;
    const std::string folder = OwnGroupFolder();
    const long long memory = folder.empty() ? -1 : NumberIn(folder + "/memory.max");
    const long long tasks = folder.empty() ? -1 : NumberIn(folder + "/pids.max");
    if (memory > 0 && tasks > 0 && AloneIn(folder)) {
        ceiling.group = folder.substr(std::string("/sys/fs/cgroup").size());
        ceiling.groupMemoryBytes = memory;
        ceiling.groupTasks = tasks;
    } else {
        // Without a ceiling on each process there is nothing for more processes to multiply.
        ceiling.oneProcess = canFilter && Limit(RLIMIT_AS) > 0;
    }
    return ceiling;
}

long long Ceiling::memoryKills() const {
    std::ifstream events("/sys/fs/cgroup" + group + "/memory.events");
    std::string name;
    long long count = 0;
    while (!group.empty() && events >> name >> count)
        if (name == "oom_kill")
            return count;
    return 0;
}

std::string Ceiling::describe() const {
    const long long space = Limit(RLIMIT_AS);
    const long long files = Limit(RLIMIT_FSIZE);
    const std::string each =
        space > 0 ? "each process " + Megabytes(space) + " of address space" : "";
    std::string text = "ceiling: ";
    if (!group.empty())
        text += "a control group of its own (" + group + "): " + Megabytes(groupMemoryBytes) +
                " of memory and " + std::to_string(groupTasks) +
                " tasks for all it starts together" + (each.empty() ? "" : "; " + each);
    else if (oneProcess)
        text += "no control group of its own, so a command may start no other process" +
                (each.empty() ? std::string() : "; " + each);
    else if (space > 0)
        text += "no control group of its own and no system-call filter: a command may start "
                "other processes, " +
                each;
    else
        text += "none on memory";
    if (files > 0)
        text += "; files up to " + Megabytes(files);
    return text;
}

} // namespace confine
