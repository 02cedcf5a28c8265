#pragma once

#include "rasterise/rasterise.h"

#include <QString>
#include <functional>

namespace platform {
class Launcher;
class Printers;
class Printing;
struct Failure;
} // namespace platform

// Converting one item of the job list: naming its PDF, rasterising it with Ghostscript,
// printing the picture on the PDF Writer and waiting for the PDF. The answer says whether the
// PDF was written and, when not, why, in words the user reads in the closing summary.
namespace item {

// Where the PDFs go, as the output options say at the item's turn.
struct Destination {
    QString folderText;        // the output folder box
    bool besideSource = false; // "Save results in folder of original file" alone
    // The folder `folderText` named when the run first used it: a folder there now that is
    // another one has been replaced during the run.
    std::optional<platform::FolderIdentity> folderAtStart = {};
};

// What converting works with outside the program, and the limits Ghostscript works under.
struct Equipment {
    platform::Launcher& launcher;
    platform::Printers& printers;
    platform::Printing& printing;
    QString applicationFolder; // holds the ps folder copied into the working folder
    int timeLimitMs;           // for Ghostscript on one file
    qint64 memoryLimitBytes;   // for all the Ghostscripts of a run together
    int cores = 1;             // the processors the program may use (platform::UsableCores)
};

// What an item needs: the equipment and what the run chose for it.
struct Tools {
    const Equipment& equipment;
    rasterise::Limits limits; // what each Ghostscript of the run may take
    int resolution;           // dots per inch, as the batch file names it
    // Told of a failure the user should see at once, with the step it failed in.
    std::function<void(int step, const platform::Failure&)> report;
};

struct Outcome {
    bool converted = false;
    QString output; // the PDF's path, once it could be named
    QString reason; // why there is no PDF
};

// The output file name of a source file name: everything before its last "." followed by
// ".pdf" ("site.old.eps" gives "site.old.pdf"). A name without "." has no output name: that
// raises an invalid-argument failure.
QString OutputName(const QString& fileName);

// Where the PDF of `source` goes: into `folderText` when the first option is chosen, else
// beside the source; doubled separators are collapsed.
QString OutputPath(const QString& source, const QString& folderText, bool besideSource);

// The steps an item reports failures of.
namespace steps {
constexpr int OutputPath = 128;
constexpr int PdfWriterOutput = 130;
constexpr int Rasterise = 134;
constexpr int Print = 142;
} // namespace steps

// Finishes `source` at its turn, once `rasterised` tells what Ghostscript made of it (the picture
// `jpeg` when converted): names its PDF, points the PDF Writer at it and prints the picture
// there, or tells why there is no PDF. The output folder is opened once, and the PDF written into
// that very folder: one replaced during the run (another folder than it was at the start, or than
// the one that held the source), or reached through a link of another user's, fails the item and
// nothing is written there. Never throws: every failure ends the item with its reason, and
// nothing of an earlier item is reused. The picture is gone afterwards.
Outcome FinishItem(const QString& source, const Destination& destination,
                   const rasterise::Rasterisation& rasterised, const QString& jpeg,
                   const Tools& tools);

} // namespace item
