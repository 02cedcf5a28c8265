#pragma once

#include <QFont>
#include <QRect>

class QWidget;

// The window's fixed layout is given in twips: 1440 to the inch, 15 to a pixel at 96 dpi.
namespace layout {

constexpr int TwipsPerPixel = 15;

constexpr int Px(int twips) { return (twips * 2 + TwipsPerPixel) / (TwipsPerPixel * 2); }

QRect TwipsRect(int left, int top, int width, int height);

// Places `widget` inside its parent at a rectangle given in twips.
void Place(QWidget* widget, int left, int top, int width, int height);

// "Arial" at a point size, bold or not, sized in pixels as at 96 dpi so that the twip layout
// holds whatever the screen reports.
QFont ArialFont(double points, bool bold);

} // namespace layout
