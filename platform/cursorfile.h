#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>
#include <optional>

namespace platform {

// Reads a Windows cursor (.cur) or icon (.ico) file as a pointer. The image nearest to 32 by
// 32 pixels is used; a cursor file's hotspot comes from its directory entry, an icon file's
// hotspot is the centre of the image. A missing, unreadable or damaged file gives nullopt.
// Needs a running QGuiApplication.
std::optional<QCursor> LoadCursorFile(const QString& path);

// Reads every image of a .ico or .cur file into one icon. nullopt when no image can be read.
std::optional<QIcon> LoadIconFile(const QString& path);

} // namespace platform
