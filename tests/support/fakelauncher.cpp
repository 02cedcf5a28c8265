#include "fakelauncher.h"

#include <csignal>

#include <QThread>

namespace testing {

bool ProcessGroupExists(qint64 groupId) {
    return groupId > 0 && ::kill(-static_cast<pid_t>(groupId), 0) == 0;
}

platform::LaunchResult FakeLauncher::start(const QString& file, const QString& parameters,
                                           const QString& directory, const QString& verb,
                                           int showState, const platform::Ceiling& ceiling) {
    starts.append({file, parameters, directory, verb, showState, ceiling});
    return {result, result > 32 ? 4242 : 0, {}};
}

void FakeLauncher::waitForEnd(qint64, int ms) {
    waits << ms;
    if (waitsTake)
        QThread::msleep(static_cast<unsigned long>(ms));
}

int FakeLauncher::exitStatus(qint64) {
    ++statusReads;
    if (terminations > 0)
        return 137;
    return statusReads <= runningPolls ? platform::launch::StillActive : exitCode;
}

platform::LaunchResult RecordingLauncher::start(const QString& file, const QString& parameters,
                                                const QString& directory, const QString& verb,
                                                int showState, const platform::Ceiling& ceiling) {
    if (onStart)
        onStart();
    const platform::LaunchResult r =
        real.start(file, parameters, directory, verb, showState, ceiling);
    started << r.processId;
    return r;
}

} // namespace testing
