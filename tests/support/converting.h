#pragma once

#include "convert/item.h"
#include "convert/run.h"
#include "rasterise/rasterise.h"

#include <functional>

namespace platform {
class Launcher;
}

namespace testing {

// Rasterises `source` in the working folder of `slot` with its run files, as a run does, and
// waits for the outcome.
rasterise::Rasterisation Rasterise(const QString& source, const rasterise::RunFiles& files,
                                   platform::Launcher& launcher, rasterise::Limits limits,
                                   int slot = 0);

// Converts `source` as a run converts one item: rasterised in the first working folder, then
// finished at once as its turn.
item::Outcome ConvertItem(const QString& source, const item::Destination& destination,
                          const item::Tools& tools, const rasterise::RunFiles& files);

// Serves events until `done` holds, at most `ms` milliseconds; whether it holds. The wait sleeps
// between looks, so it takes no processor time from what it waits for.
bool WaitUntil(const std::function<bool()>& done, int ms);

// Starts `conversion` and waits until it has told how it went.
void RunToEnd(run::Conversion& conversion);

} // namespace testing
