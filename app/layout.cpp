#include "app/layout.h"

#include <QWidget>
#include <cmath>

namespace layout {

QRect TwipsRect(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsRect(left, top, width, height));
}

QFont ArialFont(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace layout
