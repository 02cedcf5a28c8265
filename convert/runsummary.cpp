#include "convert/runsummary.h"

#include "common/paths.h"
#include "common/wording.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

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

// How many parts two lists share at their start.
qsizetype SharedStart(const QStringList& a, const QStringList& b) {
    qsizetype shared = 0;
    while (shared < a.size() && shared < b.size() && a[shared] == b[shared])
        ++shared;
    return shared;
}

// How each failed source is named in the message: by its file name, and where other failed
// sources have the same name, with as many of its last folders as tell it from them.
QStringList ShortNames(const QList<Failed>& failed) {
    // Each path's parts from its end: the file name, its folder, that folder's folder...
    QList<QStringList> ends;
    QHash<QString, QList<qsizetype>> byName;
    QStringList names;
    for (const Failed& f : failed) {
        QStringList parts = QDir::fromNativeSeparators(f.source).split(QLatin1Char('/'));
        std::reverse(parts.begin(), parts.end());
        ends << parts;
        names << parts.first();
        byName[parts.first()] << ends.size() - 1;
    }
    for (QList<qsizetype> group : std::as_const(byName)) {
        if (group.size() < 2)
            continue;
        // In this order the paths most like each one lie next to it.
        std::sort(group.begin(), group.end(),
                  [&](qsizetype a, qsizetype b) { return ends[a] < ends[b]; });
        for (qsizetype k = 0; k < group.size(); ++k) {
            const QStringList& mine = ends[group[k]];
            qsizetype shared = 0;
            if (k > 0)
                shared = SharedStart(mine, ends[group[k - 1]]);
            if (k + 1 < group.size())
                shared = std::max(shared, SharedStart(mine, ends[group[k + 1]]));
            QStringList shown = mine.mid(0, std::min(shared + 1, mine.size()));
            std::reverse(shown.begin(), shown.end());
            names[group[k]] = QDir::toNativeSeparators(shown.join(QLatin1Char('/')));
        }
    }
    return names;
}

} // namespace

QString ClosingMessage(const Summary& summary) {
    QString text = Done;
    if (!summary.failed.isEmpty()) {
        QStringList lines = ShortNames(summary.failed);
        for (qsizetype i = 0; i < lines.size(); ++i)
            lines[i] += QStringLiteral(": ") + summary.failed[i].reason;
        text += QStringLiteral("\r\n\r\n%1 of %2 produced no PDF:")
                    .arg(summary.failed.size())
                    .arg(wording::Counted(summary.itemCount, QStringLiteral("file"),
                                          QStringLiteral("files"))) +
                FirstFew(lines);
    }
    if (!summary.replaced.isEmpty()) {
        QStringList lines;
        for (const Replaced& r : summary.replaced)
            lines << ReplacedLine(r);
        text += LineBreak + LineBreak + ReplacedHeading + FirstFew(lines);
    }
    if (summary.notShownAgain > 0)
        text +=
            LineBreak + LineBreak +
            QStringLiteral("%1 like one already shown %2 counted, not shown again.")
                .arg(wording::Counted(summary.notShownAgain, QStringLiteral("more failure"),
                                      QStringLiteral("more failures")),
                     summary.notShownAgain == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    return text;
}

QString InOneLine(const Summary& summary) {
    const bool stopped = std::any_of(summary.failed.cbegin(), summary.failed.cend(),
                                     [](const Failed& f) { return f.reason == StoppedByUser; });
    const QString files =
        wording::Counted(summary.itemCount, QStringLiteral("file"), QStringLiteral("files"));
    const qsizetype converted = summary.itemCount - summary.failed.size();
    QString line = stopped ? QStringLiteral("Stopped: ") : QStringLiteral("Done: ");
    if (summary.failed.isEmpty())
        return line + (summary.itemCount == 1 ? files : QStringLiteral("all ") + files) +
               QStringLiteral(" converted.");
    line += QStringLiteral("%1 of %2 converted").arg(converted).arg(files);
    if (stopped)
        return line + QLatin1Char('.');
    return line + QStringLiteral("; %1 produced no PDF.").arg(summary.failed.size());
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
