#include "convert/run.h"

#include "common/errorreport.h"
#include "common/paths.h"
#include "convert/runlock.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "platform/pathwalk.h"
#include "rasterise/rasterise.h"

#include <QDir>
#include <QTimer>
#include <algorithm>

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

void Conversion::start() {
    started = true;
    guarded([this] {
        if (const QString refused = refusal(); !refused.isEmpty()) {
            finish(refused, {}, refused);
            return;
        }
        takeLock();
    });
}

void Conversion::guarded(const std::function<void()>& step) {
    // Whatever escapes a step ends the run with its report, never the window: the items not yet
    // done are counted with it as their reason.
    const std::optional<platform::Failure> unexpected = platform::Caught(step);
    if (!unexpected || ended)
        return;
    advancing = false;
    emit failed(0, unexpected->description);
    if (notPrepared.isEmpty())
        notPrepared = unexpected->description;
    stopThoseAhead();
    if (itemCount == 0)
        finishRun();
    else
        advanceLater();
}

void Conversion::stopAfterCurrentItem() {
    stopRequested = true;
    stopThoseAhead();
}

void Conversion::stopThoseAhead() {
    // The item whose turn it is goes on; those ahead of it are ended at once.
    for (auto it = working.cbegin(); it != working.cend(); ++it)
        if (it.key() != turn || !turnTold)
            it.value()->stop();
}

void Conversion::advanceLater() {
    QTimer::singleShot(0, this, [this] { guarded([this] { advance(); }); });
}

void Conversion::hold() { ++holds; }

void Conversion::release() {
    if (holds > 0 && --holds == 0)
        advanceLater();
}

void Conversion::abandon() { abandoned = true; }

errorreport::Guarded Conversion::toldAsFailed() {
    return errorreport::Guarded(
        [this](int step, const QString& description) { emit failed(step, description); });
}

QString Conversion::refusal() {
    errorreport::Guarded g = toldAsFailed();
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

void Conversion::takeLock() {
    if (ended || abandoned)
        return; // a run that waited for another gives up with the window
    errorreport::Guarded g = toldAsFailed();
    // Another window of this user may be converting: the PDF Writer's values, and maybe the
    // working folder, are ours too, so wait for it, the window served meanwhile.
    bool waiting = false;
    if (!g.run(108, [&] { waiting = !(lock = TryLockConversions()); }))
        notPrepared = g.lastDescription();
    else if (waiting && stopRequested)
        notPrepared = StoppedByUser;
    else if (waiting) {
        emit waitingForOther();
        QTimer::singleShot(100, this, [this] { guarded([this] { takeLock(); }); });
        return;
    } else
        notPrepared = prepare();
    itemCount = jobs.count();
    summary = Summary{itemCount, {}, {}, 0};
    fillSlots();
    advance();
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
    errorreport::Guarded g = toldAsFailed();
    QString why;
    const auto step = [&](int number, const std::function<void()>& statement) {
        if (why.isEmpty() && !g.run(number, statement))
            why = g.lastDescription();
    };
    QString batchText;
    int count = 1;
    g.run(110, [&] {
        resolution = jobs.resolution();
        batchText = rasterise::BatchText(jobs.quality(), resolution);
        // No more Ghostscripts than items; together they keep within the one ceiling.
        count = rasterise::GhostscriptsAtOnce(std::min(equipment.cores, jobs.count()),
                                              jobs.ghostscripts(), equipment.memoryLimitBytes);
    });
    atOnce = count;
    limits = {equipment.timeLimitMs, equipment.memoryLimitBytes / count};
    // Twice as many working folders as Ghostscripts at once, so that a picture made ahead that
    // waits for its turn keeps no Ghostscript from starting on the next drawing.
    count = std::min(2 * count, std::max(jobs.count(), 1));
    std::vector<rasterise::RunFiles> files(static_cast<std::size_t>(count));
    step(112, [&] {
        if (!rasterise::GhostscriptFound())
            platform::Raise(platform::errors::FileNotFound, rasterise::NoGhostscript);
        for (int slot = 0; slot < count; ++slot)
            files[std::size_t(slot)] =
                rasterise::PrepareWorkingFolder(equipment.applicationFolder, slot);
    });
    step(114, [&] {
        for (int slot = 0; slot < count; ++slot)
            rasterise::WriteBatchFile(batchText, files[std::size_t(slot)], slot);
    });
    for (int slot = 0; slot < count && why.isEmpty(); ++slot) {
        ghostscripts.push_back(std::make_unique<rasterise::Job>(slot, files[std::size_t(slot)],
                                                                equipment.launcher, limits));
        // A Ghostscript ended frees its place for the next drawing; a picture checked may be
        // the turn's.
        connect(
            ghostscripts.back().get(), &rasterise::Job::drawn, this,
            [this] { guarded([this] { fillSlots(); }); }, Qt::QueuedConnection);
        connect(ghostscripts.back().get(), &rasterise::Job::done, this, [this] {
            guarded([this] {
                fillSlots();
                advance();
            });
        });
    }
    return why;
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

QString Conversion::sourceOf(int index) const {
    if (readAhead.contains(index))
        return readAhead.value(index);
    return index <= jobs.count() ? jobs.text(index) : QString();
}

void Conversion::fillSlots() {
    if (!notPrepared.isEmpty() || stopRequested || ended)
        return;
    const int ahead = static_cast<int>(ghostscripts.size());
    for (const auto& job : ghostscripts) {
        const auto busy = std::count_if(ghostscripts.cbegin(), ghostscripts.cend(),
                                        [](const auto& other) { return other->drawing(); });
        if (nextToStart > itemCount || nextToStart >= turn + ahead || busy >= atOnce)
            return;
        if (job->working() || working.key(job.get()) != 0)
            continue;
        // Read now, while the list keeps its order until the run is over.
        const int index = nextToStart++;
        readAhead.insert(index, sourceOf(index));
        working.insert(index, job.get());
        job->start(readAhead.value(index));
    }
}

void Conversion::advance() {
    if (advancing || holds > 0 || ended)
        return;
    advancing = true;
    const bool turnTaken = takeTurn();
    advancing = false;
    // One item a pass: the window serves its events between items whose pictures were ready
    // together, and the next pass comes after them.
    if (turnTaken)
        advanceLater();
}

bool Conversion::takeTurn() {
    if (turn > itemCount) {
        // Done when the Ghostscripts ended ahead have told their end too.
        if (std::none_of(ghostscripts.cbegin(), ghostscripts.cend(),
                         [](const auto& job) { return job->working(); }))
            finishRun();
        return false;
    }
    const QString source = sourceOf(turn);
    rasterise::Job* job = working.value(turn);
    if (!turnTold && (!notPrepared.isEmpty() || stopRequested)) {
        if (job && job->working())
            return false; // its Ghostscript is being ended
        working.remove(turn);
        summary.failed.append({source, stopRequested ? StoppedByUser : notPrepared});
        ++turn;
        return true;
    }
    if (!turnTold) {
        turnTold = true;
        emit itemStarted(turn, jobs.count(), source);
        if (holds > 0)
            return false;
    }
    if (!job) {
        fillSlots();
        job = working.value(turn);
    }
    if (!job || job->working())
        return false; // its picture is still being made
    working.remove(turn);
    const item::Tools tools{
        equipment, limits, resolution,
        [this](int step, const platform::Failure& failure) { reportItemFailure(step, failure); }};
    // The output options are read anew for every item.
    const item::Outcome outcome =
        item::FinishItem(source, destinationNow(), job->outcome(),
                         rasterise::CurrentJpgPath(job->slotNumber()), tools);
    emit itemDone(turn, source, outcome.converted);
    if (!outcome.converted)
        summary.failed.append({source, outcome.reason});
    else if (const auto earlier = written.note(outcome.output, source))
        summary.replaced.append({outcome.output, source, *earlier});
    ++turn;
    turnTold = false;
    fillSlots();
    return true;
}

void Conversion::finishRun() {
    // Nothing the last drawings left is kept until the next run.
    for (const auto& job : ghostscripts)
        platform::Caught(
            [&] { rasterise::ClearWorkingFolder(job->runFiles(), job->slotNumber()); });
    summary.notShownAgain = notShownAgain;
    finish(ClosingMessage(summary), ClosingDetails(summary), InOneLine(summary));
}

void Conversion::finish(const QString& message, const QString& details, const QString& inOneLine) {
    ended = true;
    // Other windows may go on while this one tells how the run went.
    lock.reset();
    emit finished(message, details, inOneLine);
}

} // namespace run
