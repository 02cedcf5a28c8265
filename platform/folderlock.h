#pragma once

#include <QString>

namespace platform {

// An exclusive lock on a folder, held until the object goes. The system gives it up when the
// process ends, however it ends, so it never goes stale; nobody can take it on a folder that
// only this user can open.
class FolderLock {
public:
    // Raises a failure when the folder cannot be opened.
    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock unless another holder has it; answers whether this object holds it now.
    bool tryLock();

private:
    int descriptor = -1;
    bool held = false;
};

} // namespace platform
