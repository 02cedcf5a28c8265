#pragma once

#include "platform/launcher.h"

#include <QList>
#include <QString>

namespace testing {

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

} // namespace testing
