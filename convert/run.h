#pragma once

#include <QString>
#include <QStringList>

// The pieces of a conversion run that need no window: naming the output of a source, and the
// closing message.
namespace run {

// The closing messages.
inline const QString NoFiles = QStringLiteral("No files added.");
inline const QString NoFolder =
    QStringLiteral("Folder does not exist. Please select another folder.");
inline const QString Done = QStringLiteral("Done.");

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

// "Done.", and when some items produced no PDF, after an empty line how many and which: the
// first few names, then how many more.
QString ClosingMessage(int itemCount, const QStringList& failedNames);

} // namespace run
