#pragma once

#include "platform/launcher.h"

#include <QList>
#include <QString>
#include <functional>

namespace testing {

// True while any process of the process group `groupId` exists (zombies included).
bool ProcessGroupExists(qint64 groupId);

// Waits at most `ms` for a process `launcher` started to end; its exit status, or
// launch::UnknownProcess when it did not end in time.
int WaitForExit(platform::Launcher& launcher, qint64 processId, int ms);

// A launcher that starts nothing: records every start and plays a process that ends at once.
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
    int exitCode = 0;                       // what the started process ends with, at once
    int terminations = 0;
    int releases = 0;

    platform::LaunchResult start(const QString& file, const QString& parameters,
                                 const QString& directory, const QString& verb, int showState,
                                 const platform::Ceiling& ceiling = {}) override;
    void whenEnded(qint64, QObject* context, std::function<void(int status)> ended) override;
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
    void whenEnded(qint64 pid, QObject* context, std::function<void(int status)> ended) override {
        real.whenEnded(pid, context, std::move(ended));
    }
    void release(qint64 pid) override { real.release(pid); }
    void terminateTree(qint64 pid) override { real.terminateTree(pid); }
};

} // namespace testing
