#pragma once

#include "common/resolution.h"

#include <QString>

// Ghostscript's command line: the batch file's text with its switches.
namespace rasterise {

inline const QString NoGhostscript = QStringLiteral(
    "Ghostscript was not found. Please install Ghostscript (the \"gs\" command) and try again.");
// True when Ghostscript, which the working folder's "gswin32c" runs, can be started.
bool GhostscriptFound();

// The two lines of eps2jpg.bat for a JPEG quality in percent and a resolution in dots per inch,
// joined by CR LF. Ghostscript takes a quality of 0 for its default (75), so the lowest quality
// written is 1. A resolution other than the default is the switch -r after the device's.
QString BatchText(int quality, int resolution = resolution::Default);

} // namespace rasterise
