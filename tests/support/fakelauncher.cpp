#include "fakelauncher.h"

#include "converting.h"

#include <csignal>

#include <QTimer>
#include <optional>

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

void FakeLauncher::whenEnded(qint64, QObject* context, std::function<void(int status)> ended) {
    QTimer::singleShot(0, context, [ended, status = exitCode] { ended(status); });
}

int WaitForExit(platform::Launcher& launcher, qint64 processId, int ms) {
    QObject context;
    std::optional<int> status;
    launcher.whenEnded(processId, &context, [&](int ended) { status = ended; });
    WaitUntil([&] { return status.has_value(); }, ms);
    return status.value_or(platform::launch::UnknownProcess);
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
