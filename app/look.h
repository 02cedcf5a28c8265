#pragma once

#include <QPalette>

// The colours the window is drawn in, whatever the desktop's theme.
namespace look {

// A complete palette in the design's colours: dark text on white faces, the system grey of
// button faces, a blue selection with white text, grey text for what is disabled. Every role
// of every colour group is set, so no desktop palette shows through, and every text stands at
// 4.5 to 1 or more against the face it is drawn on.
QPalette DesignPalette();

} // namespace look
