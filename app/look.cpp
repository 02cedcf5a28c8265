#include "app/look.h"

#include <QtGlobal>

namespace look {

namespace {

struct RoleColours {
    QPalette::ColorRole role;
    QRgb enabled; // active and inactive
    QRgb disabled;
};

constexpr QRgb White = 0xffffff, Black = 0x000000, Face = 0xf0f0f0, GreyText = 0x6d6d6d;

constexpr RoleColours Colours[] = {
    {QPalette::Window, White, White},
    {QPalette::WindowText, Black, GreyText},
    {QPalette::Base, White, Face},
    {QPalette::AlternateBase, 0xf7f7f7, Face},
    {QPalette::Text, Black, GreyText},
    {QPalette::PlaceholderText, GreyText, GreyText},
    {QPalette::Button, Face, Face},
    {QPalette::ButtonText, Black, GreyText},
    {QPalette::BrightText, White, White},
    {QPalette::Light, White, White},
    {QPalette::Midlight, 0xe3e3e3, 0xe3e3e3},
    {QPalette::Mid, 0xa0a0a0, 0xa0a0a0},
    {QPalette::Dark, 0xa0a0a0, 0xa0a0a0},
    {QPalette::Shadow, 0x696969, 0x696969},
    {QPalette::Highlight, 0x0063b1, 0xe5e5e5},
    {QPalette::HighlightedText, White, GreyText},
    {QPalette::Link, 0x0066cc, GreyText},
    {QPalette::LinkVisited, 0x800080, GreyText},
    {QPalette::ToolTipBase, 0xffffe1, 0xffffe1},
    {QPalette::ToolTipText, Black, Black},
};

} // namespace

QPalette DesignPalette() {
    QPalette palette;
    for (const RoleColours& colours : Colours)
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QRgb rgb = group == QPalette::Disabled ? colours.disabled : colours.enabled;
            palette.setColor(group, colours.role, QColor::fromRgb(rgb));
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
            if (colours.role == QPalette::Highlight)
                palette.setColor(group, QPalette::Accent, QColor::fromRgb(rgb));
#endif
        }
    return palette;
}

} // namespace look
