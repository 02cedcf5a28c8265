#include "rasterise/limits.h"

#include "platform/environment.h"

#include <algorithm>

namespace rasterise {

qint64 GhostscriptMemoryLimitBytes() {
    constexpr qint64 GiB = qint64(1) << 30;
    return std::clamp(platform::PhysicalMemoryBytes() / 4, GiB, 4 * GiB);
}

} // namespace rasterise
