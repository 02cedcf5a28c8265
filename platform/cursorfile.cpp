#include "platform/cursorfile.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

constexpr int DirectoryHeaderSize = 6;
constexpr int DirectoryEntrySize = 16;
constexpr quint16 CursorType = 2;

// Every image of an .ico or .cur file, in the order of the file's directory, as Qt's ICO image
// plugin reads them; images it cannot read are left out.
QList<std::pair<int, QImage>> ReadImages(const QString& path) {
    QList<std::pair<int, QImage>> images;
    QImageReader reader(path, "ico");
    const int count = reader.imageCount();
    for (int index = 0; index < count; ++index) {
        if (!reader.jumpToImage(index))
            break;
        const QImage image = reader.read();
        if (!image.isNull())
            images.append({index, image});
    }
    return images;
}

// A cursor file's hot spots are the second and third words of each directory entry.
std::optional<QPoint> CursorHotSpot(const QString& path, int index) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(DirectoryHeaderSize + DirectoryEntrySize * (index + 1));
    const auto word = [&head](qsizetype at) {
        return static_cast<int>(static_cast<uchar>(head.at(at)) |
                                static_cast<uchar>(head.at(at + 1)) << 8);
    };
    if (head.size() < DirectoryHeaderSize + DirectoryEntrySize * (index + 1) ||
        word(2) != CursorType)
        return std::nullopt;
    const qsizetype entry = DirectoryHeaderSize + DirectoryEntrySize * index;
    return QPoint(word(entry + 4), word(entry + 6));
}

} // namespace

std::optional<QCursor> LoadCursorFile(const QString& path) {
    const auto images = ReadImages(path);
    if (images.isEmpty())
        return std::nullopt;
    // The image nearest to the usual pointer size of 32 by 32 pixels.
    const auto nearest = std::min_element(images.cbegin(), images.cend(), [](auto& a, auto& b) {
        return std::abs(a.second.width() - 32) < std::abs(b.second.width() - 32);
    });
    const QImage& image = nearest->second;
    // An icon file has no hot spot: its centre is taken. One beyond the image is kept inside.
    const QPoint hot =
        CursorHotSpot(path, nearest->first).value_or(QPoint(image.width() / 2, image.height() / 2));
    return QCursor(QPixmap::fromImage(image), std::clamp(hot.x(), 0, image.width() - 1),
                   std::clamp(hot.y(), 0, image.height() - 1));
}

std::optional<QIcon> LoadIconFile(const QString& path) {
    QIcon icon;
    for (const auto& [index, image] : ReadImages(path))
        icon.addPixmap(QPixmap::fromImage(image));
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

} // namespace platform
