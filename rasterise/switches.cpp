#include "rasterise/switches.h"

#include "platform/filesystem.h"

#include <QStringList>
#include <algorithm>

namespace rasterise {

bool GhostscriptFound() { return platform::ProgramOnPath(QStringLiteral("gs")); }

std::optional<int> ResolutionFromText(const QString& text) {
    for (const int resolution : Resolutions)
        if (text.trimmed() == QString::number(resolution))
            return resolution;
    return std::nullopt;
}

QString ResolutionList() {
    QStringList words;
    for (const int resolution : Resolutions)
        words << QString::number(resolution);
    const QString last = words.takeLast();
    return words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

std::optional<int> LowerResolution(int resolution) {
    std::optional<int> lower;
    for (const int listed : Resolutions)
        if (listed < resolution)
            lower = listed;
    return lower;
}

QString BatchText(int quality, int resolution) {
    const QString switchOfResolution =
        resolution == DefaultResolution ? QString() : QStringLiteral("-r%1 ").arg(resolution);
    return QStringLiteral("gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg ") +
           switchOfResolution + QStringLiteral("-dJPEGQ=") + QString::number(std::max(quality, 1)) +
           QStringLiteral(" -dDOINTERPOLATE -dGraphicsAlphaBits=4 -dEPSCrop ") +
           QStringLiteral("-sOutputFile=current.jpg current.eps") + QStringLiteral("\r\n") +
           QStringLiteral("del current.eps");
}

} // namespace rasterise
