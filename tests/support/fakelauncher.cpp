#include "fakelauncher.h"

namespace testing {

platform::LaunchResult FakeLauncher::start(const QString& file, const QString& parameters,
                                           const QString& directory, const QString& verb,
                                           int showState, qint64 memoryLimitBytes) {
    starts.append({file, parameters, directory, verb, showState, memoryLimitBytes});
    return {result, result > 32 ? 4242 : 0, {}};
}

int FakeLauncher::exitStatus(qint64) {
    ++statusReads;
    if (terminations > 0)
        return 137;
    return statusReads <= runningPolls ? platform::launch::StillActive : exitCode;
}

} // namespace testing
