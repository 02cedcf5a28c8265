#pragma once

#include <QFont>
#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

// The window's fixed layout is given in twips: 1440 to the inch, 15 to a pixel at 96 dpi. Every
// place, size and font set through these functions is remembered, so that the whole layout can
// be drawn at another scale where the screen is too small for the design.
namespace layout {

constexpr int TwipsPerPixel = 15;

constexpr int Px(int twips) { return (twips * 2 + TwipsPerPixel) / (TwipsPerPixel * 2); }

// Pixels for `twips` at `scale` times the design's size; Px(twips) at a scale of 1.
int Px(int twips, double scale);

// Places `widget` inside its parent at a rectangle given in twips.
void Place(QWidget* widget, int left, int top, int width, int height);

// Gives a window a client area of a fixed size, in twips.
void SetClientSize(QWidget* window, int width, int height);

// Sets the widget's font: `family` at a point size, bold or not, sized in pixels as at 96 dpi
// so that the twip layout holds whatever the screen reports.
void SetFont(QWidget* widget, const QString& family, double points, bool bold);

// Draws `window` and everything placed in it at `scale` times the design's size: places,
// sizes and fonts alike.
void Scale(QWidget* window, double scale);

// The scale at which a client area of `client` pixels, with a frame of `frame` around it, fits
// `available`: exactly 1 where the design fits, otherwise the largest smaller one that fits.
double FitScale(QSize client, QMargins frame, QRect available);

} // namespace layout
