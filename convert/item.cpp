#include "convert/item.h"

#include "common/paths.h"
#include "common/pdfwriterkeys.h"
#include "common/wording.h"
#include "convert/pdfoutput.h"
#include "convert/runsummary.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/pathwalk.h"
#include "rasterise/rasterise.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace item {

namespace {

using platform::Native;

[[noreturn]] void RaiseReplaced(const QString& folder) {
    platform::RaiseAbout(folder, platform::errors::PathFileAccess,
                         QStringLiteral("The output folder %1 was replaced during the run, by "
                                        "another folder or a link; nothing is written there.")
                             .arg(Native(folder)));
}

// The folder of `output`, opened for this item: the PDF goes into this very folder, whatever
// happens to its path meanwhile. One that is not the folder `expected` has been replaced.
platform::Descriptor OpenOutputFolder(const QString& output,
                                      const std::optional<platform::FolderIdentity>& expected) {
    const QString folder = QFileInfo(output).absolutePath();
    platform::Descriptor held;
    try {
        held = platform::OpenFolder(folder);
    } catch (const platform::Failure& failure) {
        platform::RaiseAbout(folder, failure.number,
                             QStringLiteral("The output folder %1 cannot be used: %2")
                                 .arg(Native(folder), failure.description));
    }
    if (expected && platform::IdentityOf(held) != *expected)
        RaiseReplaced(folder);
    return held;
}

// The PDF's path, or a failure naming what is wrong: a name without ".", or no folder to put
// the PDF in at this item's turn (nothing is ever written anywhere else instead).
QString OutputPathOf(const QString& source, const Destination& destination) {
    const QString sourceFolder = QFileInfo(source).absolutePath();
    if (!paths::GetFileNamePart(source).contains(QLatin1Char('.')))
        platform::RaiseAbout(sourceFolder, platform::errors::InvalidArgument,
                             QStringLiteral("The file name %1 has no \".\", so no PDF name can "
                                            "be made from it.")
                                 .arg(Native(source)));
    if (!destination.besideSource) {
        if (destination.folderText.trimmed().isEmpty())
            platform::RaiseAbout({}, platform::errors::PathNotFound,
                                 QStringLiteral("No output folder is set, so the PDF of %1 has "
                                                "nowhere to go.")
                                     .arg(Native(source)));
        if (!paths::FolderExists(destination.folderText))
            platform::RaiseAbout(destination.folderText, platform::errors::PathNotFound,
                                 QStringLiteral("The output folder %1 does not exist.")
                                     .arg(Native(destination.folderText)));
    }
    return OutputPath(source, destination.folderText, destination.besideSource);
}

QString Seconds(int ms) { return QString::number(ms / 1000.0); }

// What Ghostscript printed about a failure, quoted after the program's own sentence.
QString GhostscriptSaid(const rasterise::Rasterisation& r) {
    return r.said.isEmpty() ? QString()
                            : QStringLiteral(". Ghostscript said: ") + wording::Quoted(r.said);
}

// Why Ghostscript failed on a PostScript drawing: an error in it, or how Ghostscript ended.
QString GhostscriptFailure(const rasterise::Rasterisation& r) {
    if (!r.detail.isEmpty())
        return QStringLiteral("Ghostscript could not convert it: ") + r.detail + GhostscriptSaid(r);
    if (r.said.startsWith(QLatin1String("Error: /")))
        return QStringLiteral("Ghostscript stopped at an error in its PostScript") +
               GhostscriptSaid(r);
    return QStringLiteral("Ghostscript could not convert it") + GhostscriptSaid(r);
}

// What to add to the reason of a drawing that took too long or too much memory: the time and
// memory grow with the resolution, so a lower one may do. Nothing at the lowest.
QString LowerResolutionToTry(int resolution) {
    const std::optional<int> lower = resolution::Lower(resolution);
    if (!lower)
        return {};
    return QStringLiteral(
               " at %1 dpi, which may be too fine for this drawing; try %2 dpi (right-click "
               "the \"PDF Quality\" slider to choose it)")
        .arg(resolution)
        .arg(*lower);
}

// Why a source that was rasterised without a picture has no PDF.
QString ReasonFor(const rasterise::Rasterisation& r, const Tools& tools) {
    using rasterise::Rasterised;
    switch (r.result) {
    case Rasterised::NoImage: return QStringLiteral("Ghostscript made no picture of it");
    case Rasterised::GhostscriptError: return GhostscriptFailure(r);
    case Rasterised::NotADrawing: return r.detail + GhostscriptSaid(r);
    case Rasterised::NotStarted:
        return QStringLiteral("Ghostscript could not be started: ") + r.detail;
    case Rasterised::Incomplete:
        return QStringLiteral("the picture Ghostscript made of it was incomplete");
    case Rasterised::TimedOut:
        return QStringLiteral("stopped: Ghostscript had not finished after %1 s")
                   .arg(Seconds(tools.limits.timeMs)) +
               LowerResolutionToTry(tools.resolution);
    case Rasterised::OutOfMemory:
        return QStringLiteral("stopped: Ghostscript needed more than %1 MB of memory")
                   .arg(tools.limits.memoryBytes >> 20) +
               LowerResolutionToTry(tools.resolution);
    case Rasterised::LaunchFailed:
        return QStringLiteral("the batch file could not be started: ") + r.detail;
    case Rasterised::BatchFailed:
        return QStringLiteral("the batch file did not run to its end: ") + r.detail;
    case Rasterised::ChangedRunFiles:
        return QStringLiteral("its drawing changed %1 in the working folder, which no drawing "
                              "may do; the program wrote it again as it was")
            .arg(r.detail);
    case Rasterised::WorkingFolderFull:
        return QStringLiteral("the working folder %1 is full; free some space on its disk, or set "
                              "TEMP to a folder on a disk with room, and convert it again")
            .arg(r.detail);
    case Rasterised::NotAFile:
    case Rasterised::CopyFailed: return QStringLiteral("it could not be copied: ") + r.detail;
    case Rasterised::PictureTooLarge:
        return QStringLiteral("its picture grew past %1 MB, the most the PDF Writer prints; a "
                              "lower resolution makes it smaller")
            .arg(pdfwriterkeys::LargestPictureBytes >> 20);
    case Rasterised::Stopped: return run::StoppedByUser;
    case Rasterised::Failure: return r.detail;
    case Rasterised::Converted: break;
    }
    return {};
}

// Runs one step; a failure is reported and becomes the item's reason.
bool Run(int step, Outcome& outcome, const Tools& tools, const std::function<void()>& body) {
    const std::optional<platform::Failure> failure = platform::Caught(body);
    if (!failure)
        return true;
    tools.report(step, *failure);
    outcome.reason = failure->description;
    return false;
}

// Prints the picture `jpeg` on the PDF Writer into the output folder held in `folder`;
// `outcome` is converted when the PDF is there: a file other than the one there before. The
// writer saves the document before the job returns, so it is looked for once.
void Print(const QString& source, const QString& jpeg, const Destination& destination,
           const rasterise::Rasterisation& result, const platform::Descriptor& folder,
           const Tools& tools, Outcome& outcome) {
    const QString folderPath = QFileInfo(outcome.output).absolutePath();
    const QString name = QFileInfo(outcome.output).fileName();
    const auto before = platform::FileIdentityIn(folder, name);
    const bool printed = Run(steps::Print, outcome, tools, [&] {
        // Beside the source means in the folder that held it when it was read.
        if (destination.besideSource && result.sourceFolder &&
            *result.sourceFolder != platform::IdentityOf(folder))
            RaiseReplaced(folderPath);
        pdfoutput::SelectPdfWriter(tools.equipment.printers, tools.equipment.printing);
        // The PDF Writer writes into the folder held here, not into whatever has its path now.
        const platform::FolderLoan lent(folderPath, folder);
        pdfoutput::PrintJpegToPdf(tools.equipment.printing, jpeg, paths::GetFileNamePart(source));
    });
    if (!printed)
        return;
    if (const auto now = platform::FileIdentityIn(folder, name); !now || now == before) {
        outcome.reason =
            QStringLiteral("the PDF Writer did not save %1").arg(Native(outcome.output));
        return;
    }
    outcome.converted = true;
}

Outcome FinishSteps(const QString& source, const Destination& destination,
                    const rasterise::Rasterisation& result, const QString& jpeg,
                    const Tools& tools) {
    Outcome outcome;
    platform::Descriptor folder;
    if (!Run(steps::OutputPath, outcome, tools, [&] {
            outcome.output = OutputPathOf(source, destination);
            folder = OpenOutputFolder(outcome.output, destination.besideSource
                                                          ? std::nullopt
                                                          : destination.folderAtStart);
        }))
        return outcome;
    // A listed PDF "converted" beside itself would be replaced by a picture of its first page.
    if (const auto target = platform::FileIdentityOf(outcome.output);
        target && target == platform::FileIdentityOf(source)) {
        outcome.reason = QStringLiteral("it is its own output file, which converting would "
                                        "replace");
        return outcome;
    }
    if (!Run(steps::PdfWriterOutput, outcome, tools,
             [&] { pdfoutput::SetPdfWriterOutput(outcome.output); }))
        return outcome;

    if (result.result == rasterise::Rasterised::Failure) {
        Run(steps::Rasterise, outcome, tools,
            [&] { platform::Raise(result.failure, result.detail); });
        return outcome;
    }
    // A source that cannot be read is told at once, as it names a file to look at.
    if (result.result == rasterise::Rasterised::NotAFile ||
        result.result == rasterise::Rasterised::CopyFailed)
        tools.report(steps::Rasterise,
                     platform::Failure(result.failure,
                                       QStringLiteral("The file %1 cannot be copied: %2")
                                           .arg(Native(source), result.detail),
                                       QFileInfo(source).absolutePath()));
    if (result.result != rasterise::Rasterised::Converted) {
        outcome.reason = ReasonFor(result, tools);
        return outcome;
    }

    Print(source, jpeg, destination, result, folder, tools, outcome);
    return outcome;
}

} // namespace

QString OutputName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        platform::Raise(platform::errors::InvalidArgument, {});
    return fileName.left(dot) + QStringLiteral(".pdf");
}

QString OutputPath(const QString& source, const QString& folderText, bool besideSource) {
    const QString name = OutputName(paths::GetFileNamePart(source));
    const QString folder = besideSource ? paths::GetFolderPart(source) : folderText;
    return paths::FixPathSeparators(folder + paths::Separator() + name);
}

Outcome FinishItem(const QString& source, const Destination& destination,
                   const rasterise::Rasterisation& rasterised, const QString& jpeg,
                   const Tools& tools) {
    Outcome outcome;
    // Whatever goes wrong outside a step ends this item, not the run.
    Run(0, outcome, tools,
        [&] { outcome = FinishSteps(source, destination, rasterised, jpeg, tools); });
    paths::DeleteFileQuiet(jpeg); // printed or not, no picture waits for a later turn
    return outcome;
}

} // namespace item
