#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Reading the log the batch interpreter keeps of a run (its format: logformat.h).
namespace rasterise {

// What the batch interpreter's log tells of one command: its status (nothing when it never
// ended), the lines it printed and whether the memory ceiling ended a process of it.
struct LoggedCommand {
    QString line;
    std::optional<int> status;
    QStringList output;
    bool ceilingReached = false; // the memory ceiling ended a process of it
};
QList<LoggedCommand> ReadBatchLog(const QString& path);

// What the log in the working folder of `slot` says of the Ghostscript line of the batch file.
std::optional<LoggedCommand> GhostscriptEntry(int slot = 0);

// Whether Ghostscript ran out of the memory it may take, as its words or the ceiling tell.
bool RanOutOfMemory(const LoggedCommand& gs);

// Why Ghostscript failed: the last "Error:" line it printed (its own follows whatever the
// drawing printed), else the last line that speaks of a failure, kept as printed in `said`;
// else how it ended, in the program's words in `detail`.
void ExplainFailure(const LoggedCommand& gs, QString& detail, QString& said);

} // namespace rasterise
