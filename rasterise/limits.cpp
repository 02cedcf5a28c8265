#include "rasterise/limits.h"

#include "platform/environment.h"

#include <algorithm>

namespace rasterise {

qint64 GhostscriptMemoryLimitBytes() {
    constexpr qint64 GiB = qint64(1) << 30;
    return std::clamp(platform::PhysicalMemoryBytes() / 4, GiB, 4 * GiB);
}

int GhostscriptsAtOnce(int cores, int cap, qint64 memoryBytes) {
    int count = std::max(cores, 1);
    if (cap > 0)
        count = std::min(count, cap);
    if (memoryBytes > 0)
        count = static_cast<int>(std::min<qint64>(count, memoryBytes / SmallestShareBytes));
    return std::max(count, 1);
}

} // namespace rasterise
