#include "convert/runsummary.h"

#include "common/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace run {

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
