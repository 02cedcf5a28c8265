#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace testing {

// Measures the longest time the event loop went without serving events: a 1 ms timer notes
// the longest interval between its ticks while the meter runs.
class GapMeter {
public:
    GapMeter() {
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [this] { note(); });
    }
    void start() {
        longest = 0;
        overFifty = 0;
        sinceTick.start();
        ticker.start();
    }
    void stop() {
        note();
        ticker.stop();
    }
    qint64 longestMs() const { return longest; }
    int gapsOver50Ms() const { return overFifty; }

private:
    void note() {
        const qint64 gap = sinceTick.restart();
        longest = std::max(longest, gap);
        overFifty += gap > 50 ? 1 : 0;
    }

    QTimer ticker;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    int overFifty = 0;
};

} // namespace testing
