#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// What a conversion run tells the user: its fixed messages, and the closing summary of the PDFs
// that were not made or were written twice.
namespace run {

// The closing messages.
inline const QString NoFiles = QStringLiteral("No files added.");
inline const QString NoFolder =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString Done = QStringLiteral("Done.");

// The closing message of a run into a folder that exists but cannot be written.
inline QString FolderNotWritable(const QString& folder) {
    return QStringLiteral("The folder %1 cannot be written to. Please select another folder.")
        .arg(folder);
}

// A PDF written twice in one run, by two sources of the same name.
struct Replaced {
    QString pdf;
    QString source;  // the source the PDF now holds
    QString earlier; // the source it held before
};

// Remembers which source each PDF of a run came from, so that a second source writing the same
// PDF (clients/acme/logo.eps and clients/globex/logo.eps into one folder, or plan.eps and
// plan.EPS) is noticed.
class WrittenPdfs {
public:
    // Notes that `source` was saved as `pdf`; answers the earlier source when this run had
    // already saved another source there.
    std::optional<QString> note(const QString& pdf, const QString& source);

private:
    QHash<QString, QString> sources;
};

// A source that gave no PDF, and why.
struct Failed {
    QString source;
    QString reason;
};

// Why the items a stopped run did not reach have no PDF.
inline const QString StoppedByUser = QStringLiteral("not converted: the run was stopped");

// The question Escape asks during a run.
inline const QString StopQuestion =
    QStringLiteral("Stop converting after the current file?\r\n\r\nThe files after it are "
                   "left unconverted.");

// How a run went, for its closing message.
struct Summary {
    int itemCount = 0;
    QList<Failed> failed;
    QList<Replaced> replaced;
    // Failures that were counted but not shown, being of a kind already shown in this run.
    int notShownAgain = 0;
};

// How many of each list the closing message names; its details name them all.
constexpr int NamedInMessage = 5;

// "Done.", and when some items produced no PDF, after an empty line how many and which: the
// first few names with their reasons (a name that several of them share with as many of its
// folders as tell them apart), then how many more; the PDFs that a later source of the
// same run replaced, the first few of them; and how many failures were not shown again.
QString ClosingMessage(const Summary& summary);

// How the run went in one line, for a notification: "Done: all 12 files converted.", "Done: 10
// of 12 files converted; 2 produced no PDF.", "Stopped: 3 of 12 files converted.".
QString InOneLine(const Summary& summary);

// Every source that gave no PDF, by its full path, with its reason, one per line; then every
// PDF written more than once. Empty when there is neither.
QString ClosingDetails(const Summary& summary);

} // namespace run
