#pragma once

#include <QString>
#include <array>
#include <optional>

// Ghostscript's command line: the batch file's text with its switches, and the resolutions it can
// be asked for.
namespace rasterise {

inline const QString NoGhostscript = QStringLiteral(
    "Ghostscript was not found. Please install Ghostscript (the \"gs\" command) and try again.");
// True when Ghostscript, which the working folder's "gswin32c" runs, can be started.
bool GhostscriptFound();

// The resolutions a drawing can be drawn at, in dots per inch, lowest first. The lowest is
// Ghostscript's own for its jpeg device, so at it the batch line names none.
inline constexpr std::array<int, 4> Resolutions{72, 150, 300, 600};
inline constexpr int DefaultResolution = Resolutions.front();

// A listed resolution written in decimal, blanks around it allowed; nothing for any other text.
std::optional<int> ResolutionFromText(const QString& text);

// The listed resolutions as words: "72, 150, 300 or 600".
QString ResolutionList();

// The listed resolution below `resolution`; nothing when there is none.
std::optional<int> LowerResolution(int resolution);

// The two lines of eps2jpg.bat for a JPEG quality in percent and a resolution in dots per inch,
// joined by CR LF. Ghostscript takes a quality of 0 for its default (75), so the lowest quality
// written is 1. A resolution other than the default is the switch -r after the device's.
QString BatchText(int quality, int resolution = DefaultResolution);

} // namespace rasterise
