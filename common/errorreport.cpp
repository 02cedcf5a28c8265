#include "common/errorreport.h"

#include "platform/failure.h"

namespace errorreport {

Guarded::Guarded(Report report_) : report(std::move(report_)) {}

bool Guarded::run(int step, const std::function<void()>& statement) {
    const std::optional<platform::Failure> failure = platform::Caught(statement);
    if (!failure)
        return true;
    last = failure->description;
    report(step, last);
    return false;
}

bool Guarded::holdsOrFails(int step, const std::function<bool()>& condition) {
    bool result = true;
    run(step, [&] { result = condition(); });
    return result;
}

} // namespace errorreport
