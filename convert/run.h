#pragma once

#include "convert/item.h"
#include "convert/runsummary.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

namespace platform {
class Launcher;
class Printers;
class Printing;
} // namespace platform

namespace run {

struct RunLock;

// What a run reads of the window that started it, at the moments it reads it: the job list
// (1-based), the quality and the resolution (dots per inch) once before the first item, and the
// output options at each item's turn.
struct JobSource {
    std::function<int()> count;
    std::function<QString(int index)> text;
    std::function<int()> quality;
    std::function<item::Destination()> destination;
    std::function<int()> resolution;
};

using item::Equipment;

// A conversion run: checks that there is work and a folder for it, waits its turn among the
// runs of this user, prepares the working folder and converts the job list item by item, serving
// the window in between; then tells how it went. It holds the run lock from the moment it waits
// until its last item is done.
//
// Failures of the preparation are told as they happen. Of the failures of items, one cause is
// told once: a failure of a kind told before (the same number, in the same statement) is only
// counted, and the closing message says how many were. Every item without a PDF is named
// in the closing message with its reason (the first few) and in its details (all).
class Conversion final : public QObject {
    Q_OBJECT
public:
    Conversion(JobSource jobs, Equipment equipment, QObject* parent = nullptr);
    ~Conversion() override;

    // Runs to the end and returns once finished() has been told; returns without it only when
    // abandoned while waiting for another run.
    void run();

    // Ends the run after the current item; the items after it are counted as not converted.
    void stopAfterCurrentItem();
    bool stopping() const { return stopRequested; }

    // The window is closing: a wait for another run gives up, and nothing more is told.
    void abandon();

signals:
    // Another run of this user holds the lock; told about every 100 ms while waiting.
    void waitingForOther();
    // Item `index` of `count` (the job list's size at that moment) is being converted.
    void itemStarted(int index, int count, const QString& source);
    void itemDone(int index, const QString& source, bool converted);
    // A failure to show now, with the step of the statement that failed.
    void failed(int step, const QString& description);
    // The closing message, its details (empty when there are none) and how the run went in one
    // line. The lock is free by now.
    void finished(const QString& message, const QString& details, const QString& inOneLine);

private:
    // Why the run cannot start, as its closing message; empty when it can.
    QString refusal();
    // Takes the lock and readies the working folder; answers why no item can be converted
    // (empty when every step went well).
    QString prepare();
    void convertItems(const QString& notPrepared);
    void reportItemFailure(int step, const platform::Failure& failure);
    // The output options now, with the output folder as the run first found it.
    item::Destination destinationNow();
    void finish(const QString& message, const QString& details, const QString& inOneLine);

    JobSource jobs;
    Equipment equipment;
    std::unique_ptr<RunLock> lock;
    rasterise::RunFiles runFiles;
    int resolution = rasterise::DefaultResolution;
    bool stopRequested = false;
    bool abandoned = false;
    QSet<QString> shownCauses;
    QHash<QString, platform::FolderIdentity> outputFolders; // by the folder box's text
    int notShownAgain = 0;
};

} // namespace run
