#include "platform/launcher.h"

#include "platform/environment.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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
    const QString found = QStandardPaths::findExecutable(file);
    return found.isEmpty() ? local : found;
}

// The shell's code for a program that QProcess could not start. The file was there and
// marked executable when the start was tried: where the system still refuses to run it, the
// folder forbids running programs; otherwise the file is no program it can run.
int CodeForStartFailure(const QProcess& process) {
    if (process.error() != QProcess::FailedToStart)
        return launch::OutOfResources;
    const QFileInfo program(process.program());
    if (!program.exists())
        return launch::FileNotFound;
    if (::access(QFile::encodeName(program.absoluteFilePath()).constData(), X_OK) != 0)
        return launch::AccessDenied;
    return launch::InvalidExecutable;
}

bool IsBatchFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("bat") || suffix == QLatin1String("cmd");
}

} // namespace

PosixLauncher::PosixLauncher(QString batchInterpreter) : interpreter(std::move(batchInterpreter)) {}

PosixLauncher::~PosixLauncher() { endAll(); }

namespace {

void Limit(int resource, qint64 bytes) {
    if (bytes > 0) {
        const rlimit ceiling{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(resource, &ceiling);
    }
}

// Runs in the child between fork and exec: only async-signal-safe calls.
void PrepareChild(pid_t parent, const Ceiling& ceiling) {
    ::setpgid(0, 0);                    // a group of its own: its whole tree can be ended
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
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    Limit(RLIMIT_AS, ceiling.memoryBytes);
    Limit(RLIMIT_FSIZE, ceiling.fileBytes);
}

// Whether the user's service manager makes scopes here: it can be reached, systemd-run is
// there, and a scope made for nothing says so. Asked once: the answer holds for the session.
bool UserScopesOffered() {
    static const bool offered = [] {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const bool reachable = (!runtime.isEmpty() &&
                                QFileInfo::exists(runtime + QStringLiteral("/systemd/private"))) ||
                               !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
        const QString run = QStandardPaths::findExecutable(QStringLiteral("systemd-run"));
        if (!reachable || run.isEmpty())
            return false;
        QProcess probe;
        probe.setStandardInputFile(QProcess::nullDevice());
        probe.setStandardOutputFile(QProcess::nullDevice());
        probe.setStandardErrorFile(QProcess::nullDevice());
        probe.start(run,
                    {QStringLiteral("--user"), QStringLiteral("--scope"), QStringLiteral("--quiet"),
                     QStringLiteral("--collect"), QStringLiteral("--"), QStringLiteral("true")});
        if (!probe.waitForFinished(5000)) {
            probe.kill();
            probe.waitForFinished(1000);
            return false;
        }
        return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
    }();
    return offered;
}

} // namespace

LaunchResult PosixLauncher::resolve(const QString& file, const QString& directory,
                                    const QString& verb, QString& program,
                                    QStringList& arguments) const {
    if (!verb.isEmpty() && verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return {launch::NoAssociation, 0, {}};
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return {launch::PathNotFound, 0, QStringLiteral("%1 is not a folder").arg(directory)};
    const QString name = Unquoted(file);
    if (name.isEmpty())
        return {launch::FileNotFound, 0, {}};
    const QFileInfo target(Resolve(name, directory));
    if (!target.exists())
        return {target.dir().exists() ? launch::FileNotFound : launch::PathNotFound, 0,
                QStringLiteral("%1 is missing").arg(target.filePath())};
    if (!target.isFile())
        return {launch::NoAssociation, 0, {}};
    if (IsBatchFile(name)) {
        if (!QFileInfo(interpreter).isExecutable())
            return {launch::NoAssociation, 0,
                    QStringLiteral("the command interpreter %1 is missing or cannot be run")
                        .arg(interpreter)};
        program = interpreter;
        arguments << target.absoluteFilePath();
        return {launch::Started, 0, {}};
    }
    if (!target.isExecutable())
        return {launch::NoAssociation, 0, {}};
    program = target.absoluteFilePath();
    return {launch::Started, 0, {}};
}

LaunchResult PosixLauncher::start(const QString& file, const QString& parameters,
                                  const QString& directory, const QString& verb, int,
                                  const Ceiling& ceiling) {
    QString program;
    QStringList arguments;
    const LaunchResult resolved = resolve(file, directory, verb, program, arguments);
    if (resolved.code != launch::Started)
        return resolved;
    arguments += QProcess::splitCommand(parameters);
    // In a scope, the program takes the place of the scope's command, in the same process.
    if (const QStringList scope =
            ceiling.memoryBytes > 0 || ceiling.tasks > 0 ? UserScope(ceiling) : QStringList();
        !scope.isEmpty()) {
        arguments = scope.mid(1) + QStringList{program} + arguments;
        program = scope.first();
    }

    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(directory);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setChildProcessModifier(
        [parent = ::getpid(), ceiling] { PrepareChild(parent, ceiling); });
    process->start();
    if (!process->waitForStarted(-1))
        return {CodeForStartFailure(*process), 0,
                QStringLiteral("%1 cannot be run: %2").arg(program, process->errorString())};
    const qint64 pid = process->processId();
    processes[pid] = std::move(process);
    return {launch::Started, pid, {}};
}

QProcess* PosixLauncher::find(qint64 processId) const {
    const auto it = processes.find(processId);
    return it == processes.end() ? nullptr : it->second.get();
}

namespace {

int StatusOf(const QProcess& process) {
    return process.exitStatus() == QProcess::CrashExit ? 128 + process.exitCode()
                                                       : process.exitCode();
}

} // namespace

void PosixLauncher::whenEnded(qint64 processId, QObject* context,
                              std::function<void(int status)> ended) {
    QProcess* process = find(processId);
    if (!process || process->state() == QProcess::NotRunning) {
        const int status = process ? StatusOf(*process) : launch::UnknownProcess;
        QTimer::singleShot(0, context, [ended, status] { ended(status); });
        return;
    }
    QObject::connect(
        process, &QProcess::finished, context, [ended, process] { ended(StatusOf(*process)); },
        Qt::SingleShotConnection);
}

void PosixLauncher::release(qint64 processId) {
    const auto it = processes.find(processId);
    if (it != processes.end() && it->second->state() == QProcess::NotRunning)
        processes.erase(it);
}

void PosixLauncher::terminateTree(qint64 processId) {
    QProcess* process = find(processId);
    if (!process || process->state() == QProcess::NotRunning)
        return;
    // Asked first: the command interpreter then ends everything below it, also what left its
    // process group, which no signal to the group would reach. Whatever is still in the group
    // after a moment goes at once, without a chance to clean up.
    ::kill(static_cast<pid_t>(processId), SIGTERM);
    process->waitForFinished(TerminateGraceMs);
    ::kill(-static_cast<pid_t>(processId), SIGKILL);
    process->waitForFinished(1000);
}

void PosixLauncher::endAll() {
    for (const auto& [pid, process] : processes)
        if (process->state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    for (const auto& [pid, process] : processes)
        terminateTree(pid);
}

QStringList UserScope(const Ceiling& ceiling) {
    if (!UserScopesOffered())
        return {};
    QStringList command{QStandardPaths::findExecutable(QStringLiteral("systemd-run")),
                        QStringLiteral("--user"), QStringLiteral("--scope"),
                        QStringLiteral("--quiet"), QStringLiteral("--collect")};
    const auto property = [&](const QString& name, qint64 value) {
        if (value > 0)
            command << QStringLiteral("-p") << name + QLatin1Char('=') + QString::number(value);
    };
    property(QStringLiteral("MemoryMax"), ceiling.memoryBytes);
    if (ceiling.memoryBytes > 0)
        command << QStringLiteral("-p") << QStringLiteral("MemorySwapMax=0");
    property(QStringLiteral("TasksMax"), ceiling.tasks);
    return command << QStringLiteral("--");
}

} // namespace platform
