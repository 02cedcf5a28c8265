#include "convert/run.h"

#include "common/errorreport.h"
#include "common/paths.h"
#include "convert/runlock.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/pathwalk.h"
#include "rasterise/rasterise.h"

#include <QDir>

namespace run {

namespace {

// What tells two kinds of failure apart: the failure number and the statement that failed.
// Ten sources in ten vanished folders are one kind, whatever folder each is about.
QString CauseOf(int step, const platform::Failure& failure) {
    return QString::number(failure.number) + QLatin1Char('|') + QString::number(step);
}

} // namespace

Conversion::Conversion(JobSource jobs_, Equipment equipment_, QObject* parent)
    : QObject(parent), jobs(std::move(jobs_)), equipment(std::move(equipment_)) {}

Conversion::~Conversion() = default;

void Conversion::stopAfterCurrentItem() { stopRequested = true; }

void Conversion::abandon() { abandoned = true; }

void Conversion::run() {
    // Whatever escapes the steps below ends the run with its report, never the window.
    const std::optional<platform::Failure> unexpected = platform::Caught([this] {
        if (const QString refused = refusal(); !refused.isEmpty()) {
            finish(refused, {}, refused);
            return;
        }
        const QString notPrepared = prepare();
        if (!abandoned)
            convertItems(notPrepared);
    });
    lock.reset();
    if (unexpected)
        emit failed(0, unexpected->description);
}

QString Conversion::refusal() {
    errorreport::Guarded g(
        [this](int step, const QString& description) { emit failed(step, description); });
    if (g.holdsOrFails(104, [&] { return jobs.count() == 0; }))
        return NoFiles;
    const item::Destination destination = jobs.destination();
    if (g.holdsOrFails(106, [&] {
            return !destination.besideSource && !paths::FolderExists(destination.folderText);
        }))
        return NoFolder;
    if (g.holdsOrFails(106, [&] {
            return !destination.besideSource && !platform::FolderIsWritable(destination.folderText);
        }))
        return FolderNotWritable(destination.folderText);
    // The output folder as it is when the run is started: one put in its place later is not it.
    destinationNow();
    return {};
}

item::Destination Conversion::destinationNow() {
    item::Destination destination = jobs.destination();
    if (destination.besideSource)
        return destination;
    const QString& folder = destination.folderText;
    if (!outputFolders.contains(folder)) {
        try {
            outputFolders.insert(folder, platform::IdentityOf(platform::OpenFolder(folder)));
        } catch (const platform::Failure&) {
            return destination; // the item tells what is wrong with it
        }
    }
    destination.folderAtStart = outputFolders.value(folder);
    return destination;
}

QString Conversion::prepare() {
    errorreport::Guarded g(
        [this](int step, const QString& description) { emit failed(step, description); });
    QString notPrepared;
    const auto step = [&](int number, const std::function<void()>& statement) {
        if (notPrepared.isEmpty() && !g.run(number, statement))
            notPrepared = g.lastDescription();
    };
    // Another window of this user may be converting: the PDF Writer's values, and maybe the
    // working folder, are ours too, so wait for it, the window served meanwhile.
    step(108, [&] {
        lock = LockConversions([this] {
            emit waitingForOther();
            return !abandoned && !stopRequested;
        });
        if (!lock && !abandoned)
            notPrepared = StoppedByUser;
    });
    if (abandoned)
        return {};
    QString batchText;
    g.run(110, [&] {
        resolution = jobs.resolution();
        batchText = rasterise::BatchText(jobs.quality(), resolution);
    });
    step(112, [&] {
        if (!rasterise::GhostscriptFound())
            platform::Raise(platform::errors::FileNotFound, rasterise::NoGhostscript);
        runFiles = rasterise::PrepareWorkingFolder(equipment.applicationFolder);
    });
    step(114, [&] { rasterise::WriteBatchFile(batchText, runFiles); });
    return notPrepared;
}

void Conversion::reportItemFailure(int step, const platform::Failure& failure) {
    // One cause, one box: a failure of a kind already shown in this run is only counted.
    const QString cause = CauseOf(step, failure);
    if (shownCauses.contains(cause)) {
        ++notShownAgain;
        return;
    }
    shownCauses.insert(cause);
    emit failed(step, failure.description);
}

void Conversion::convertItems(const QString& notPrepared) {
    const item::Tools tools{
        equipment, runFiles, resolution,
        [this](int step, const platform::Failure& failure) { reportItemFailure(step, failure); }};
    // The loop's bound is the count at the start: rows added meanwhile wait for the next run.
    const int n = jobs.count();
    Summary summary{n, {}, {}, 0};
    WrittenPdfs written;
    for (int i = 1; i <= n; ++i) {
        const QString source = i <= jobs.count() ? jobs.text(i) : QString();
        if (!notPrepared.isEmpty() || stopRequested) {
            summary.failed.append({source, stopRequested ? StoppedByUser : notPrepared});
            continue;
        }
        emit itemStarted(i, jobs.count(), source);
        platform::Yield();
        // The output options are read anew for every item.
        const item::Outcome outcome = item::ConvertItem(source, destinationNow(), tools);
        emit itemDone(i, source, outcome.converted);
        if (!outcome.converted)
            summary.failed.append({source, outcome.reason});
        else if (const auto earlier = written.note(outcome.output, source))
            summary.replaced.append({outcome.output, source, *earlier});
    }
    // Nothing the last drawing left is kept until the next run.
    if (notPrepared.isEmpty())
        platform::Caught([this] { rasterise::ClearWorkingFolder(runFiles); });
    summary.notShownAgain = notShownAgain;
    finish(ClosingMessage(summary), ClosingDetails(summary), InOneLine(summary));
}

void Conversion::finish(const QString& message, const QString& details, const QString& inOneLine) {
    // Other windows may go on while this one tells how the run went.
    lock.reset();
    emit finished(message, details, inOneLine);
}

} // namespace run
