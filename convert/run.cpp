#include "convert/run.h"

#include "convert/paths.h"
#include "platform/environment.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace run {

bool GhostscriptFound() { return platform::ProgramOnPath(QStringLiteral("gs")); }

QString OutputName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        platform::Raise(platform::errors::InvalidArgument, {});
    return fileName.left(dot) + QStringLiteral(".pdf");
}

QString OutputPath(const QString& source, const QString& folderText, bool besideSource) {
    const QString name = OutputName(paths::GetFileNamePart(source));
    const QString folder = besideSource ? paths::GetFolderPart(source) : folderText;
    return paths::FixPathBackslashes(folder + paths::Separator() + name);
}

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

std::optional<QString> WrittenPdfs::note(const QString& pdf, const QString& source) {
    const QFileInfo info(pdf);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString key =
        (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
    std::optional<QString> earlier;
    if (const auto it = sources.constFind(key); it != sources.cend() && *it != source)
        earlier = *it;
    sources.insert(key, source);
    return earlier;
}

QString ClosingMessage(int itemCount, const QList<Failed>& failed,
                       const QList<Replaced>& replaced) {
    QString text = Done;
    if (!failed.isEmpty()) {
        constexpr int Shown = 5;
        text += QStringLiteral("\r\n\r\n%1 of %2 files produced no PDF:")
                    .arg(failed.size())
                    .arg(itemCount);
        for (qsizetype i = 0; i < failed.size() && i < Shown; ++i)
            text += QStringLiteral("\r\n") + paths::GetFileNamePart(failed[i].source) +
                    QStringLiteral(": ") + failed[i].reason;
        if (failed.size() > Shown)
            text += QStringLiteral("\r\nand %1 more (Show Details... lists them all)")
                        .arg(failed.size() - Shown);
    }
    if (!replaced.isEmpty()) {
        text += QStringLiteral("\r\n\r\nWritten more than once in this run, so an earlier "
                               "result was replaced:");
        for (const Replaced& r : replaced)
            text += QStringLiteral("\r\n%1 now holds %2, not %3")
                        .arg(QDir::toNativeSeparators(r.pdf), QDir::toNativeSeparators(r.source),
                             QDir::toNativeSeparators(r.earlier));
    }
    return text;
}

QString ClosingDetails(const QList<Failed>& failed) {
    QStringList lines;
    for (const Failed& f : failed)
        lines << QDir::toNativeSeparators(f.source) + QStringLiteral(": ") + f.reason;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace run
