#include "platform/launcher.h"

#include "platform/commandwords.h"
#include "platform/environment.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// The processes started here: running ones map to nothing, ended ones to their exit code.
// Each child has a thread blocked in waitpid for it, so it is reaped the moment it ends.
// Allocated once and never destroyed: a reaper thread may still report during program exit.
struct Children {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<pid_t, std::optional<int>> processes;
};

Children& children() {
    static Children* all = new Children;
    return *all;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 255;
}

void FollowChild(pid_t pid) {
    {
        std::lock_guard lock(children().mutex);
        children().processes[pid] = std::nullopt;
    }
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        std::lock_guard lock(children().mutex);
        children().processes[pid] = ExitCodeOf(status);
        children().changed.notify_all();
    }).detach();
}

// Waits until the child has been reaped; false when `timeout` passed first.
bool WaitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
    std::unique_lock lock(children().mutex);
    return children().changed.wait_for(lock, timeout, [pid] {
        const auto it = children().processes.find(pid);
        return it == children().processes.end() || it->second.has_value();
    });
}

bool IsRunning(pid_t pid) {
    std::lock_guard lock(children().mutex);
    const auto it = children().processes.find(pid);
    return it != children().processes.end() && !it->second.has_value();
}

void EndTree(pid_t pid) {
    if (!IsRunning(pid))
        return;
    // The whole group goes at once: the interpreter and whatever it started. Nothing of theirs
    // needs a chance to clean up, and the window must not wait on a polite request.
    ::kill(-pid, SIGKILL);
    WaitForEnd(pid, std::chrono::milliseconds(200));
}

QString Unquoted(QString file) {
    file = file.trimmed();
    if (file.size() >= 2 && file.startsWith(QLatin1Char('"')) && file.endsWith(QLatin1Char('"')))
        file = file.mid(1, file.size() - 2);
    return file;
}

// Where a file name given to start() leads: relative names are taken in the directory, and a
// bare name that is not there is looked up on PATH, as the shell finds programs.
QString Resolve(const QString& file, const QString& directory) {
    if (QDir::isAbsolutePath(file))
        return file;
    const QString base = directory.isEmpty() ? QDir::currentPath() : directory;
    const QString local = QDir(base).filePath(file);
    if (QFileInfo::exists(local) || file.contains(QLatin1Char('/')))
        return local;
    const QStringList path = qEnvironmentVariable("PATH").split(QLatin1Char(':'));
    for (const QString& folder : path) {
        const QFileInfo candidate(QDir(folder.isEmpty() ? QStringLiteral(".") : folder), file);
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return local;
}

int CodeForErrno(int error) {
    switch (error) {
    case ENOENT: return launch::FileNotFound;
    case ENOTDIR: return launch::PathNotFound;
    case EACCES:
    case EPERM: return launch::AccessDenied;
    case ENOMEM:
    case E2BIG: return launch::OutOfMemory;
    case ENOEXEC:
    case ELIBBAD: return launch::InvalidExecutable;
    default: return launch::OutOfResources;
    }
}

// Starts `program` with `arguments` (argv[0] included) in `directory`, in a process group of
// its own. The child reports a failed exec through a close-on-exec pipe.
LaunchResult Spawn(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& directory, qint64 memoryLimitBytes) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return {launch::OutOfResources, 0, {}};
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return {errno == ENOMEM ? launch::OutOfMemory : launch::OutOfResources, 0, {}};
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM); // ends with us even if we crash
        if (::getppid() != parent)
            ::_exit(127);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        for (const int s : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD, SIGHUP, SIGQUIT})
            ::sigaction(s, &standard, nullptr);
        const int nothing = ::open("/dev/null", O_RDONLY);
        if (nothing >= 0 && nothing != 0) {
            ::dup2(nothing, 0);
            ::close(nothing);
        }
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        if (memoryLimitBytes > 0) {
            const rlimit ceiling{static_cast<rlim_t>(memoryLimitBytes),
                                 static_cast<rlim_t>(memoryLimitBytes)};
            ::setrlimit(RLIMIT_AS, &ceiling);
        }
        int error = 0;
        if (!directory.empty() && ::chdir(directory.c_str()) != 0)
            error = errno == ENOENT ? ENOTDIR : errno;
        else {
            ::execve(program.c_str(), argv.data(), environ);
            error = errno;
        }
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    // Also set here, so the group exists before anyone signals it.
    ::setpgid(pid, pid);
    ::close(report[1]);
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return {CodeForErrno(error), 0,
                QStringLiteral("%1 cannot be run: %2")
                    .arg(QFile::decodeName(QByteArray::fromStdString(program)),
                         QString::fromLocal8Bit(std::strerror(error)))};
    }
    static const bool endChildrenAtExit = std::atexit(TerminateAllChildren) == 0;
    (void)endChildrenAtExit;
    FollowChild(pid);
    return {launch::Started, pid, {}};
}

bool IsBatchFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("bat") || suffix == QLatin1String("cmd");
}

} // namespace

PosixLauncher::PosixLauncher(QString batchInterpreter) : interpreter(std::move(batchInterpreter)) {}

LaunchResult PosixLauncher::start(const QString& file, const QString& parameters,
                                  const QString& directory, const QString& verb, int,
                                  qint64 memoryLimitBytes) {
    if (!verb.isEmpty() && verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return {launch::NoAssociation, 0, {}};
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return {launch::PathNotFound, 0, {}};
    const QString name = Unquoted(file);
    if (name.isEmpty())
        return {launch::FileNotFound, 0, {}};
    const QFileInfo target(Resolve(name, directory));
    if (!target.exists())
        return {target.dir().exists() ? launch::FileNotFound : launch::PathNotFound, 0,
                QStringLiteral("%1 is missing").arg(target.filePath())};
    if (!target.isFile())
        return {launch::NoAssociation, 0, {}};

    const std::string path = QFile::encodeName(target.absoluteFilePath()).toStdString();
    const std::string folder = QFile::encodeName(directory).toStdString();
    std::vector<std::string> arguments;
    std::string program;
    if (IsBatchFile(name)) {
        if (!QFileInfo(interpreter).isExecutable())
            return {launch::NoAssociation, 0,
                    QStringLiteral("the command interpreter %1 is missing or cannot be run")
                        .arg(interpreter)};
        program = QFile::encodeName(interpreter).toStdString();
        arguments = {program, path};
    } else if (target.isExecutable()) {
        program = path;
        arguments = {path};
    } else {
        return {launch::NoAssociation, 0, {}};
    }
    for (std::string& word : SplitCommandWords(QFile::encodeName(parameters).toStdString()))
        arguments.push_back(std::move(word));
    return Spawn(program, arguments, folder, memoryLimitBytes);
}

int PosixLauncher::exitStatus(qint64 processId) {
    std::lock_guard lock(children().mutex);
    const auto it = children().processes.find(static_cast<pid_t>(processId));
    if (it == children().processes.end())
        return launch::UnknownProcess;
    return it->second.value_or(launch::StillActive);
}

void PosixLauncher::release(qint64 processId) {
    std::lock_guard lock(children().mutex);
    const auto it = children().processes.find(static_cast<pid_t>(processId));
    if (it != children().processes.end() && it->second.has_value())
        children().processes.erase(it);
}

void PosixLauncher::terminateTree(qint64 processId) { EndTree(static_cast<pid_t>(processId)); }

QString BatchInterpreterPath() { return ExecutableFolder() + QStringLiteral("/pellarine-batch"); }

Launcher& SystemLauncher() {
    static PosixLauncher launcher(BatchInterpreterPath());
    return launcher;
}

void TerminateAllChildren() {
    std::vector<pid_t> running;
    {
        std::lock_guard lock(children().mutex);
        for (const auto& [pid, code] : children().processes)
            if (!code)
                running.push_back(pid);
    }
    for (const pid_t pid : running)
        ::kill(-pid, SIGTERM);
    for (const pid_t pid : running)
        EndTree(pid);
}

bool ProcessGroupExists(qint64 groupId) {
    return groupId > 0 && ::kill(-static_cast<pid_t>(groupId), 0) == 0;
}

namespace {

// Why `folder` is not safe to run things from, or nothing. The working folder itself must be
// ours alone. The folder holding it may also belong to the system and be shared, as /tmp is,
// provided its sticky bit keeps others from renaming or replacing what we own in it.
QString PrivacyProblem(const QString& folder, bool holdsWorkingFolder) {
    struct stat st {};
    const QByteArray path = QFile::encodeName(folder);
    const int read =
        holdsWorkingFolder ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    if (read != 0)
        return QStringLiteral("it cannot be read");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid() && !(holdsWorkingFolder && st.st_uid == 0))
        return QStringLiteral("it belongs to another user");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !(holdsWorkingFolder && (st.st_mode & S_ISVTX)))
        return QStringLiteral("other users can write to it");
    return {};
}

} // namespace

void CheckPrivateFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    for (const QString& f : {clean, QFileInfo(clean).path()}) {
        const QString problem = PrivacyProblem(f, f != clean);
        if (!problem.isEmpty())
            Raise(errors::PermissionDenied,
                  QStringLiteral("Nothing is run from the working folder %1: the folder %2 is "
                                 "not private to this user (%3).")
                      .arg(QDir::toNativeSeparators(clean), QDir::toNativeSeparators(f), problem));
    }
}

} // namespace platform
