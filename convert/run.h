#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLockFile;

// The pieces of a conversion run that need no window: naming the output of a source, and the
// closing message.
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

inline const QString NoGhostscript = QStringLiteral(
    "Ghostscript was not found. Please install Ghostscript (the \"gs\" command) and try again.");

// True when Ghostscript, which the working folder's "gswin32c" runs, can be started.
bool GhostscriptFound();

// How long the run waits for a file that an earlier step should already have produced: the
// PDF after the page was printed.
constexpr int PdfWaitMs = 5000;

// The output file name of a source file name: everything before its last "." followed by
// ".pdf" ("site.old.eps" gives "site.old.pdf"). A name without "." has no output name: that
// raises an invalid-argument failure.
QString OutputName(const QString& fileName);

// Where the PDF of `source` goes: into `folderText` when the first option is chosen, else
// beside the source; doubled separators are collapsed.
QString OutputPath(const QString& source, const QString& folderText, bool besideSource);

// What the progress bar says while the run waits for another one to finish.
inline const QString WaitingForOther =
    QStringLiteral("Waiting for another conversion to finish...");

// Takes the per-user lock that keeps two runs (two windows, or two copies of the program) from
// sharing the working folder and the PDF Writer's values. While another run holds it, calls
// `keepWaiting` about every 100 ms, the window served in between; answers nullptr when that
// gives up. A lock left by a program that was killed is taken over at once. Raises a failure
// when the lock cannot be made at all.
std::unique_ptr<QLockFile> LockConversions(const std::function<bool()>& keepWaiting);

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

// "Done.", and when some items produced no PDF, after an empty line how many and which: the
// first few names with their reasons, then how many more; and every PDF that a later source of
// the same run replaced, with the source it now holds.
QString ClosingMessage(int itemCount, const QList<Failed>& failed,
                       const QList<Replaced>& replaced = {});

// Every source that gave no PDF, by its full path, with its reason: one per line, for the
// closing message's details. Empty when every source gave its PDF.
QString ClosingDetails(const QList<Failed>& failed);

} // namespace run
