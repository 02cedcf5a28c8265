#include "convert/runlock.h"

#include "common/pdfwriterkeys.h"
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

std::unique_ptr<RunLock> TryLockConversions() {
    auto lock = std::make_unique<RunLock>();
    const QString path = ValuesLockPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    lock->values = std::make_unique<QLockFile>(path);
    // Held for as long as a run lasts, however long: only a lock whose program has gone is stale.
    lock->values->setStaleLockTime(0);
    if (!lock->values->tryLock(0)) {
        if (lock->values->error() != QLockFile::LockFailedError)
            platform::Raise(platform::errors::PermissionDenied,
                            QStringLiteral("The lock file %1 cannot be made.")
                                .arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    lock->workingFolder = std::make_unique<platform::FolderLock>(rasterise::MakeWorkingFolder());
    if (!lock->workingFolder->tryLock())
        return nullptr;
    return lock;
}

} // namespace run
