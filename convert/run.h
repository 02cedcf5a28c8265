#pragma once

#include "common/errorreport.h"
#include "convert/item.h"
#include "convert/runsummary.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace platform {
class Launcher;
class Printers;
class Printing;
} // namespace platform

namespace run {

struct RunLock;

// What a run reads of the window that started it, at the moments it reads it: the job list
// (1-based), the quality, the resolution (dots per inch) and the cap on Ghostscripts at once (0
// for none) once before the first item, and the output options at each item's turn.
struct JobSource {
    std::function<int()> count;
    std::function<QString(int index)> text;
    std::function<int()> quality;
    std::function<item::Destination()> destination;
    std::function<int()> resolution;
    std::function<int()> ghostscripts = [] { return 0; };
};

using item::Equipment;

// A conversion run: checks that there is work and a folder for it, waits its turn among the
// runs of this user, prepares the working folders and converts the job list, driven by events on
// the window's thread: up to as many drawings as Ghostscripts work at once (one for each core the
// program may use, see rasterise::GhostscriptsAtOnce) are rasterised ahead, each in a working
// folder of its own, while the items take their turns in list order: at its turn an item's
// picture is printed on the PDF Writer (its values written just before) and its failures told.
// Then it tells how it went. It holds the run lock from the moment it is taken until its last
// item is done.
//
// Failures of the preparation are told as they happen. Of the failures of items, one cause is
// told once: a failure of a kind told before (the same number, in the same statement) is only
// counted, and the closing message says how many were. Every item without a PDF is named
// in the closing message with its reason (the first few) and in its details (all).
class Conversion final : public QObject {
    Q_OBJECT
public:
    Conversion(JobSource jobs, Equipment equipment, QObject* parent = nullptr);
    // Ends every Ghostscript still working.
    ~Conversion() override;

    // Starts the run; it goes on from the event loop and ends with finished().
    void start();

    // Ends the run after the item whose turn it is; the Ghostscripts working ahead are ended at
    // once, and the items after it are counted as not converted.
    void stopAfterCurrentItem();
    bool stopping() const { return stopRequested; }

    // While held (as often as held, until as often released), no item takes its turn: the
    // window holds the run while it asks or tells something about it. Ghostscripts working
    // ahead go on.
    void hold();
    void release();

    // The window is closing: a run waiting for another gives up, and tells nothing more.
    void abandon();

    // Whether the run is still going: from start() until finished() is told.
    bool running() const { return started && !ended; }

signals:
    // Another run of this user holds the lock; told about every 100 ms while waiting.
    void waitingForOther();
    // Item `index` of `count` (the job list's size at that moment) takes its turn.
    void itemStarted(int index, int count, const QString& source);
    void itemDone(int index, const QString& source, bool converted);
    // A failure to show now, with the step of the statement that failed.
    void failed(int step, const QString& description);
    // The closing message, its details (empty when there are none) and how the run went in one
    // line. The lock is free by now.
    void finished(const QString& message, const QString& details, const QString& inOneLine);

private:
    // A guard of steps whose failures are told through failed().
    errorreport::Guarded toldAsFailed();
    // Why the run cannot start, as its closing message; empty when it can.
    QString refusal();
    // Takes the lock, or tries again in a moment while another run holds it.
    void takeLock();
    // Readies the working folders; answers why no item can be converted (empty when every step
    // went well).
    QString prepare();
    // Starts the Ghostscripts that may work ahead on the items not yet started.
    void fillSlots();
    // Ends the Ghostscripts working ahead of the item whose turn it is.
    void stopThoseAhead();
    // Lets advance() run from the event loop, after the events waiting now.
    void advanceLater();
    // Lets the item whose turn it is take it when its picture is ready; the next follows in a
    // later pass of the event loop.
    void advance();
    // Item `turn` takes its turn; false when it must wait for its picture.
    bool takeTurn();
    void reportItemFailure(int step, const platform::Failure& failure);
    // The output options now, with the output folder as the run first found it.
    item::Destination destinationNow();
    QString sourceOf(int index) const;
    // Runs one step that the event loop started; whatever escapes it ends the run with its report.
    void guarded(const std::function<void()>& step);
    void finishRun();
    void finish(const QString& message, const QString& details, const QString& inOneLine);

    JobSource jobs;
    Equipment equipment;
    std::unique_ptr<RunLock> lock;
    int resolution = resolution::Default;
    rasterise::Limits limits;
    int atOnce = 1; // how many Ghostscripts may work at once
    // One for each working folder: twice as many as may work at once.
    std::vector<std::unique_ptr<rasterise::Job>> ghostscripts;
    QHash<int, rasterise::Job*> working; // by the item each works on
    QHash<int, QString> readAhead;       // the sources of the items started ahead
    int itemCount = 0;                   // the job list's size when the items began
    int nextToStart = 1;
    int turn = 1;
    bool turnTold = false; // whether itemStarted was told for `turn`
    QString notPrepared;
    Summary summary;
    WrittenPdfs written;
    int holds = 0;
    bool advancing = false;
    bool started = false;
    bool ended = false;
    bool stopRequested = false;
    bool abandoned = false;
    QSet<QString> shownCauses;
    QHash<QString, platform::FolderIdentity> outputFolders; // by the folder box's text
    int notShownAgain = 0;
};

} // namespace run
