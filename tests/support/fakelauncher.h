#pragma once

#include "platform/launcher.h"

#include <QList>
#include <QString>
#include <functional>

namespace testing {

// True while any process of the process group `groupId` exists (zombies included).
bool ProcessGroupExists(qint64 groupId);

// A launcher that starts nothing: records every start and plays a scripted process.
class FakeLauncher final : public platform::Launcher {
public:
    struct Start {
        QString file, parameters, directory, verb;
        int showState = 0;
        platform::Ceiling ceiling;
    };
    QList<Start> starts;
    int result = platform::launch::Started; // what start() answers
    int runningPolls = 0;                   // polls that still see the process running
    int exitCode = 0;
    int statusReads = 0;
    int terminations = 0;
    int releases = 0;
    QList<int> waits;       // every waitForEnd, by its longest wait
    bool waitsTake = false; // whether a wait really lets its time pass

    platform::LaunchResult start(const QString& file, const QString& parameters,
                                 const QString& directory, const QString& verb, int showState,
                                 const platform::Ceiling& ceiling = {}) override;
    int exitStatus(qint64 processId) override;
    void waitForEnd(qint64, int ms) override;
    void release(qint64) override { ++releases; }
    void terminateTree(qint64) override { ++terminations; }
};

// The real launcher with the program's batch interpreter, remembering the processes it started
// and doing `onStart` first.
class RecordingLauncher final : public platform::Launcher {
public:
    platform::PosixLauncher real{QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch")};
    QList<qint64> started;
    std::function<void()> onStart;

    platform::LaunchResult start(const QString& file, const QString& parameters,
                                 const QString& directory, const QString& verb, int showState,
                                 const platform::Ceiling& ceiling = {}) override;
    int exitStatus(qint64 pid) override { return real.exitStatus(pid); }
    void waitForEnd(qint64 pid, int ms) override { real.waitForEnd(pid, ms); }
    void release(qint64 pid) override { real.release(pid); }
    void terminateTree(qint64 pid) override { real.terminateTree(pid); }
};

} // namespace testing
