#include "convert/runlock.h"

#include "common/pdfwriterkeys.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/folderlock.h"
#include "platform/registry.h"
#include "rasterise/rasterise.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace run {

RunLock::~RunLock() = default;

QString ValuesLockPath() {
    const QFileInfo store(platform::UserRegistryFile(pdfwriterkeys::Key()));
    return store.absolutePath() + QLatin1Char('/') + store.completeBaseName() +
           QStringLiteral(".lock");
}

namespace {

// Waits until `take` succeeds; false when `keepWaiting` gives up first.
bool WaitFor(const std::function<bool()>& take, const std::function<bool()>& keepWaiting) {
    while (!take()) {
        if (!keepWaiting())
            return false;
        platform::Pause(100);
    }
    return true;
}

} // namespace

std::unique_ptr<RunLock> LockConversions(const std::function<bool()>& keepWaiting) {
    auto lock = std::make_unique<RunLock>();
    const QString path = ValuesLockPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    lock->values = std::make_unique<QLockFile>(path);
    // Held for as long as a run lasts, however long: only a lock whose program has gone is stale.
    lock->values->setStaleLockTime(0);
    const auto takeValues = [&] {
        if (lock->values->tryLock(0))
            return true;
        if (lock->values->error() != QLockFile::LockFailedError)
            platform::Raise(platform::errors::PermissionDenied,
                            QStringLiteral("The lock file %1 cannot be made.")
                                .arg(QDir::toNativeSeparators(path)));
        return false;
    };
    if (!WaitFor(takeValues, keepWaiting))
        return nullptr;
    lock->workingFolder = std::make_unique<platform::FolderLock>(rasterise::MakeWorkingFolder());
    if (!WaitFor([&] { return lock->workingFolder->tryLock(); }, keepWaiting))
        return nullptr;
    return lock;
}

} // namespace run
