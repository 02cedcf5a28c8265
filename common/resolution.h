#pragma once

#include <QString>
#include <array>
#include <optional>

// The resolutions a drawing can be drawn at, in dots per inch, as the window, the command line
// and the settings store offer them.
namespace resolution {

// Lowest first. The lowest is Ghostscript's own for its jpeg device, so at it the batch line
// names none.
inline constexpr std::array<int, 4> Listed{72, 150, 300, 600};
inline constexpr int Default = Listed.front();

// A listed resolution written in decimal, blanks around it allowed; nothing for any other text.
std::optional<int> FromText(const QString& text);

// The listed resolutions as words: "72, 150, 300 or 600".
QString InWords();

// The listed resolution below `resolution`; nothing when there is none.
std::optional<int> Lower(int resolution);

} // namespace resolution
