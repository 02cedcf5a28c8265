#include "rasterise/switches.h"

#include "platform/filesystem.h"

#include <algorithm>

namespace rasterise {

bool GhostscriptFound() { return platform::ProgramOnPath(QStringLiteral("gs")); }

QString BatchText(int quality, int resolution) {
    const QString switchOfResolution =
        resolution == resolution::Default ? QString() : QStringLiteral("-r%1 ").arg(resolution);
    return QStringLiteral("gswin32c -dSAFER -dBATCH -dNOPAUSE -sDEVICE=jpeg ") +
           switchOfResolution + QStringLiteral("-dJPEGQ=") + QString::number(std::max(quality, 1)) +
           QStringLiteral(" -dDOINTERPOLATE -dGraphicsAlphaBits=4 -dEPSCrop ") +
           QStringLiteral("-sOutputFile=current.jpg current.eps") + QStringLiteral("\r\n") +
           QStringLiteral("del current.eps");
}

} // namespace rasterise
