#pragma once

#include <QProcess>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>

namespace platform {

// Shell result codes: a start answers a value above 32 on success, or one of these.
namespace launch {
constexpr int OutOfResources = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int OutOfMemory = 8;
constexpr int InvalidExecutable = 11;
constexpr int NoAssociation = 31;
constexpr int Started = 42;
// What whenEnded() tells of a process this launcher does not know.
constexpr int UnknownProcess = -1;
} // namespace launch

// What a started program, and everything it starts, may take; 0 leaves a bound out.
struct Ceiling {
    // Their memory together, where the user's service manager gives them a group of their own
    // (see UserScope), and the address space of each of them in any case.
    qint64 memoryBytes = 0;
    // The largest file any of them may write.
    qint64 fileBytes = 0;
    // How many processes and threads they may be together, in a group of their own.
    int tasks = 0;
};

struct LaunchResult {
    int code = launch::OutOfResources; // above 32 when started
    qint64 processId = 0;              // the started process, 0 when none
    QString reason;                    // when not started: why, in plain words
};

// Starts files the way the desktop shell opens them, and follows the started processes.
class Launcher {
public:
    virtual ~Launcher() = default;

    // Opens `file` (surrounding double quotes are removed) with `verb` ("open" or empty) in
    // `directory` (empty: the current one). `parameters` are split as QProcess::splitCommand
    // splits them: on blanks, double quotes grouping, three of them standing for one. The show
    // state is a hint for programs with windows. `ceiling` bounds the process and everything it
    // starts.
    virtual LaunchResult start(const QString& file, const QString& parameters,
                               const QString& directory, const QString& verb, int showState,
                               const Ceiling& ceiling = {}) = 0;

    // Calls `ended` with the exit code of a started process (128 + n when signal n ended it)
    // once it has ended, from the event loop, never from inside this call (launch::UnknownProcess
    // for a process this launcher does not know). Nothing is called once `context` has gone.
    virtual void whenEnded(qint64 processId, QObject* context,
                           std::function<void(int status)> ended) = 0;

    // Forgets a process that has ended.
    virtual void release(qint64 processId) = 0;

    // Ends the process and everything it started, and returns once it has ended.
    virtual void terminateTree(qint64 processId) = 0;

    // How long a process asked to end may take before it is ended without asking.
    static constexpr int TerminateGraceMs = 2000;
};

// The real launcher, on QProcess. Every process starts in a process group of its own, so that
// its whole tree can be ended, and is ended with us should we die first. Batch files (".bat",
// ".cmd") run in the command interpreter `batchInterpreter`; executable files run directly;
// other files have no association. Whatever is still running when the launcher goes is ended.
// A program started under a memory ceiling runs in a scope of the user's service manager when
// one can be had (see UserScope), so that it and everything it starts share the ceiling.
// The program makes one, with the interpreter beside its executable.
class PosixLauncher final : public Launcher {
public:
    explicit PosixLauncher(QString batchInterpreter);
    ~PosixLauncher() override;

    LaunchResult start(const QString& file, const QString& parameters, const QString& directory,
                       const QString& verb, int showState, const Ceiling& ceiling = {}) override;
    void whenEnded(qint64 processId, QObject* context,
                   std::function<void(int status)> ended) override;
    void release(qint64 processId) override;
    void terminateTree(qint64 processId) override;

    // Ends every process tree this launcher started that is still running.
    void endAll();

private:
    QProcess* find(qint64 processId) const;
    // What starting `file` runs: the program and its first arguments, or why nothing can run.
    LaunchResult resolve(const QString& file, const QString& directory, const QString& verb,
                         QString& program, QStringList& arguments) const;

    QString interpreter;
    std::map<qint64, std::unique_ptr<QProcess>> processes;
};

// The command that starts a program in a scope of its own of the user's service manager
// (systemd), bounded by `ceiling`: the program and its arguments go after it. Empty when the user
// has no service manager that makes one here; asked once, when first needed.
QStringList UserScope(const Ceiling& ceiling);

} // namespace platform
