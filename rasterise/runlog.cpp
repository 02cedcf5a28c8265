#include "rasterise/runlog.h"

#include "rasterise/logformat.h"
#include "rasterise/workingfolder.h"

#include <QFile>
#include <algorithm>

namespace rasterise {

QList<LoggedCommand> ReadBatchLog(const QString& path) {
    namespace log = batchlog;
    QList<LoggedCommand> commands;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return commands;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        const QString text = line.mid(2);
        if (line.startsWith(QLatin1String(log::CommandMark)))
            commands.append({text, std::nullopt, {}});
        else if (commands.isEmpty())
            continue;
        else if (line.startsWith(QLatin1String(log::OutputMark)))
            commands.last().output.append(text);
        else if (line.startsWith(QLatin1String(log::StatusMark)))
            commands.last().status = text.toInt();
        else if (line.startsWith(QLatin1String(log::NoteMark)) &&
                 text == QLatin1String(log::CeilingReached))
            commands.last().ceilingReached = true;
    }
    return commands;
}

std::optional<LoggedCommand> GhostscriptEntry(int slot) {
    for (const LoggedCommand& command : ReadBatchLog(BatchLogPath(slot)))
        if (command.line.startsWith(QLatin1String("gswin32c ")))
            return command;
    return std::nullopt;
}

bool RanOutOfMemory(const LoggedCommand& gs) {
    if (gs.ceilingReached)
        return true;
    for (const QString& line : gs.output)
        if (line.contains(QLatin1String("VMerror")) ||
            line.contains(QLatin1String("Last OS error: 12")) ||
            line.contains(QLatin1String("Cannot allocate memory"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
            return true;
    return false;
}

namespace {

// Whether a line Ghostscript printed speaks of a failure: its font and page notes do not.
bool TellsOfFailure(const QString& line) {
    static const QStringList words{
        QStringLiteral("error"),  QStringLiteral("unable"),  QStringLiteral("cannot"),
        QStringLiteral("can't"),  QStringLiteral("failed"),  QStringLiteral("not found"),
        QStringLiteral("denied"), QStringLiteral("invalid"), QStringLiteral("no such")};
    return std::any_of(words.cbegin(), words.cend(), [&](const QString& word) {
        return line.contains(word, Qt::CaseInsensitive);
    });
}

} // namespace

void ExplainFailure(const LoggedCommand& gs, QString& detail, QString& said) {
    const int status = gs.status.value_or(-1);
    if (status > 128) {
        detail = QStringLiteral("Ghostscript was ended by signal %1").arg(status - 128);
        return;
    }
    for (auto it = gs.output.crbegin(); it != gs.output.crend(); ++it)
        if (it->startsWith(QLatin1String("Error: "))) {
            said = it->trimmed();
            return;
        }
    for (auto it = gs.output.crbegin(); it != gs.output.crend(); ++it)
        if (TellsOfFailure(*it)) {
            said = it->trimmed();
            return;
        }
    detail = QStringLiteral("Ghostscript ended with status %1").arg(status);
}

} // namespace rasterise
