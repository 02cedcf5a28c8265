#pragma once

#include <QString>
#include <memory>

class QLockFile;
namespace platform {
class FolderLock;
}

// The lock that lets one conversion run at a time for this user.
namespace run {

// What the progress bar says while the run waits for another one to finish.
inline const QString WaitingForOther =
    QStringLiteral("Waiting for another conversion to finish...");

// Held while a run uses what runs share: the PDF Writer's values, which every window of the
// user shares whatever its environment, and the working folder, which windows share when their
// temporary folders are the same.
struct RunLock {
    std::unique_ptr<QLockFile> values; // beside the PDF Writer's store
    std::unique_ptr<platform::FolderLock> workingFolder;
    ~RunLock();
};

// The lock file beside the PDF Writer's store.
QString ValuesLockPath();

// Takes the run lock, making the working folder (private to this user) when it is missing;
// nullptr while another run holds it. A lock left by a program that was killed is taken over at
// once. Raises a failure when the lock cannot be made at all.
std::unique_ptr<RunLock> TryLockConversions();

} // namespace run
