#include "app/layout.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace layout {

namespace {

// Where a widget keeps what the design gives it.
const char* const PlaceKey = "layoutTwips";
const char* const ClientKey = "layoutClientTwips";
const char* const PointsKey = "layoutPoints";

// Below this nothing could be read any more, so a yet smaller screen gets a window larger
// than itself.
constexpr double SmallestScale = 0.25;

// Applies what the design gives `widget` at `scale`.
void Apply(QWidget* widget, double scale) {
    if (const QVariant place = widget->property(PlaceKey); place.isValid()) {
        const QRect twips = place.toRect();
        widget->setGeometry(Px(twips.x(), scale), Px(twips.y(), scale), Px(twips.width(), scale),
                            Px(twips.height(), scale));
    }
    if (const QVariant client = widget->property(ClientKey); client.isValid()) {
        const QSize twips = client.toSize();
        widget->setFixedSize(Px(twips.width(), scale), Px(twips.height(), scale));
    }
    if (const QVariant points = widget->property(PointsKey); points.isValid()) {
        QFont font = widget->font();
        const double pixels = points.toDouble() * 96.0 / 72.0 * scale;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
        widget->setFont(font);
    }
}

} // namespace

int Px(int twips, double scale) {
    return static_cast<int>(std::lround(twips * scale / TwipsPerPixel));
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setProperty(PlaceKey, QRect(left, top, width, height));
    Apply(widget, 1.0);
}

void SetClientSize(QWidget* window, int width, int height) {
    window->setProperty(ClientKey, QSize(width, height));
    Apply(window, 1.0);
}

void SetFont(QWidget* widget, const QString& family, double points, bool bold) {
    QFont font(family);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    widget->setFont(font);
    widget->setProperty(PointsKey, points);
    Apply(widget, 1.0);
}

void Scale(QWidget* window, double scale) {
    Apply(window, scale);
    for (QWidget* widget : window->findChildren<QWidget*>())
        Apply(widget, scale);
}

double FitScale(QSize client, QMargins frame, QRect available) {
    const double width = available.width() - frame.left() - frame.right();
    const double height = available.height() - frame.top() - frame.bottom();
    if (available.isEmpty() || (client.width() <= width && client.height() <= height))
        return 1.0;
    return std::max(SmallestScale, std::min(width / client.width(), height / client.height()));
}

} // namespace layout
