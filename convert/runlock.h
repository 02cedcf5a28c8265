#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;

// The lock that lets one conversion run at a time for this user.
namespace run {

// What the progress bar says while the run waits for another one to finish.
inline const QString WaitingForOther =
    QStringLiteral("Waiting for another conversion to finish...");

// Takes the per-user lock that keeps two runs (two windows, or two copies of the program) from
// sharing the working folder and the PDF Writer's values. While another run holds it, calls
// `keepWaiting` about every 100 ms, the window served in between; answers nullptr when that
// gives up. A lock left by a program that was killed is taken over at once. Raises a failure
// when the lock cannot be made at all.
std::unique_ptr<QLockFile> LockConversions(const std::function<bool()>& keepWaiting);

} // namespace run
