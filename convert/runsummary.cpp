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

namespace {

const QString LineBreak = QStringLiteral("\r\n");
const QString ReplacedHeading =
    QStringLiteral("Written more than once in this run, so an earlier result was replaced:");
const QString MoreInDetails = QStringLiteral("and %1 more (Show Details... lists them all)");

QString ReplacedLine(const Replaced& r) {
    return QStringLiteral("%1 now holds %2, not %3")
        .arg(QDir::toNativeSeparators(r.pdf), QDir::toNativeSeparators(r.source),
             QDir::toNativeSeparators(r.earlier));
}

// The first few of `lines`, then how many more there are.
QString FirstFew(const QStringList& lines) {
    QString text;
    for (qsizetype i = 0; i < lines.size() && i < NamedInMessage; ++i)
        text += LineBreak + lines[i];
    if (lines.size() > NamedInMessage)
        text += LineBreak + MoreInDetails.arg(lines.size() - NamedInMessage);
    return text;
}

} // namespace

QString ClosingMessage(const Summary& summary) {
    QString text = Done;
    if (!summary.failed.isEmpty()) {
        QStringList lines;
        for (const Failed& f : summary.failed)
            lines << paths::GetFileNamePart(f.source) + QStringLiteral(": ") + f.reason;
        text += QStringLiteral("\r\n\r\n%1 of %2 files produced no PDF:")
                    .arg(summary.failed.size())
                    .arg(summary.itemCount) +
                FirstFew(lines);
    }
    if (!summary.replaced.isEmpty()) {
        QStringList lines;
        for (const Replaced& r : summary.replaced)
            lines << ReplacedLine(r);
        text += LineBreak + LineBreak + ReplacedHeading + FirstFew(lines);
    }
    if (summary.notShownAgain > 0)
        text += LineBreak + LineBreak +
                QStringLiteral("%1 more failures like one already shown were counted, not shown "
                               "again.")
                    .arg(summary.notShownAgain);
    return text;
}

QString ClosingDetails(const Summary& summary) {
    QStringList lines;
    for (const Failed& f : summary.failed)
        lines << QDir::toNativeSeparators(f.source) + QStringLiteral(": ") + f.reason;
    if (!summary.replaced.isEmpty()) {
        if (!lines.isEmpty())
            lines << QString();
        lines << ReplacedHeading;
        for (const Replaced& r : summary.replaced)
            lines << ReplacedLine(r);
    }
    return lines.join(LineBreak);
}

} // namespace run
