#include "convert/runlock.h"

#include "platform/environment.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/privatefolder.h"

#include <QDir>
#include <QLockFile>

namespace run {

std::unique_ptr<QLockFile> LockConversions(const std::function<bool()>& keepWaiting) {
    const QString path = platform::PrivateUserFolder() + QStringLiteral("/conversion.lock");
    auto lock = std::make_unique<QLockFile>(path);
    // Held for as long as a run lasts, however long: only a lock whose program has gone is stale.
    lock->setStaleLockTime(0);
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            platform::Raise(platform::errors::PermissionDenied,
                            QStringLiteral("The lock file %1 cannot be made.")
                                .arg(QDir::toNativeSeparators(path)));
        if (!keepWaiting())
            return nullptr;
        platform::Pause(100);
    }
    return lock;
}

} // namespace run
