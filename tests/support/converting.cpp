#include "converting.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

namespace testing {

rasterise::Rasterisation Rasterise(const QString& source, const rasterise::RunFiles& files,
                                   platform::Launcher& launcher, rasterise::Limits limits,
                                   int slot) {
    rasterise::Job job(slot, files, launcher, limits);
    QSignalSpy done(&job, &rasterise::Job::done);
    job.start(source);
    if (!done.wait(limits.timeMs + 30000))
        return {rasterise::Rasterised::Failure, QStringLiteral("the test waited in vain")};
    return job.outcome();
}

item::Outcome ConvertItem(const QString& source, const item::Destination& destination,
                          const item::Tools& tools, const rasterise::RunFiles& files) {
    const rasterise::Rasterisation rasterised =
        Rasterise(source, files, tools.equipment.launcher, tools.limits);
    return item::FinishItem(source, destination, rasterised, rasterise::CurrentJpgPath(), tools);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    look.start(5);
    if (!done())
        loop.exec();
    return done();
}

void RunToEnd(run::Conversion& conversion) {
    QSignalSpy finished(&conversion, &run::Conversion::finished);
    conversion.start();
    if (finished.isEmpty())
        finished.wait(600000);
}

} // namespace testing
