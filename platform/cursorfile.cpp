#include "platform/cursorfile.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// Pointer and icon files are small; anything larger is not one of them.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
constexpr int DirectoryHeaderSize = 6;
constexpr int DirectoryEntrySize = 16;
constexpr quint16 IconType = 1;
constexpr quint16 CursorType = 2;

// One image of the file as its directory describes it.
struct Entry {
    int width = 0; // 0 in the file stands for 256
    int height = 0;
    int bitCount = 0; // icon files only
    int hotX = 0;     // cursor files only
    int hotY = 0;
    QByteArray payload;
};

struct Directory {
    quint16 type = 0;
    std::vector<Entry> entries;
};

quint16 U16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 U32(const char* p) { return qFromLittleEndian<quint32>(p); }
qint32 I32(const char* p) { return qFromLittleEndian<qint32>(p); }

std::optional<QByteArray> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

// The file's directory: header (reserved 0, type, count) followed by 16-byte entries, each
// naming the size and offset of its image. Entries pointing outside the file are dropped.
std::optional<Directory> ReadDirectory(const QByteArray& data) {
    if (data.size() < DirectoryHeaderSize)
        return std::nullopt;
    const char* p = data.constData();
    Directory dir;
    dir.type = U16(p + 2);
    const int count = U16(p + 4);
    if (U16(p) != 0 || (dir.type != IconType && dir.type != CursorType) || count == 0 ||
        DirectoryHeaderSize + qint64(count) * DirectoryEntrySize > data.size())
        return std::nullopt;
    for (int i = 0; i < count; ++i) {
        const char* e = p + DirectoryHeaderSize + i * DirectoryEntrySize;
        const quint32 bytes = U32(e + 8);
        const quint32 offset = U32(e + 12);
        if (bytes < 8 || offset > quint32(data.size()) || bytes > quint32(data.size()) - offset)
            continue;
        Entry entry;
        entry.width = quint8(e[0]) ? quint8(e[0]) : 256;
        entry.height = quint8(e[1]) ? quint8(e[1]) : 256;
        if (dir.type == CursorType) {
            entry.hotX = U16(e + 4);
            entry.hotY = U16(e + 6);
        } else {
            entry.bitCount = U16(e + 6);
        }
        entry.payload = data.mid(offset, bytes);
        dir.entries.push_back(entry);
    }
    if (dir.entries.empty())
        return std::nullopt;
    return dir;
}

int Stride(qint64 width, int bits) { return int(((width * bits + 31) / 32) * 4); }

// A device-independent bitmap as icon files store it: a BITMAPINFOHEADER whose height
// counts the colour bitmap and the AND mask together, a palette for up to 8 bits, the
// colour bitmap and the mask. Checks that every part lies inside the payload, then lets Qt's
// icon reader decode it from a one-image icon file built around it.
QImage DecodeBitmap(const QByteArray& payload) {
    if (payload.size() < 40)
        return {};
    const char* p = payload.constData();
    const quint32 headerSize = U32(p);
    const qint32 width = I32(p + 4);
    const qint32 doubleHeight = I32(p + 8);
    const int bits = U16(p + 14);
    const quint32 compression = U32(p + 16);
    const quint32 coloursUsed = U32(p + 32);
    if (headerSize < 40 || headerSize > quint32(payload.size()) || width < 1 || width > 256 ||
        doubleHeight < 2 || doubleHeight > 512 || compression != 0)
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return {};
    const int height = doubleHeight / 2;
    const qint64 paletteSize = bits <= 8 ? 4 * qint64(coloursUsed ? coloursUsed : 1u << bits) : 0;
    if (paletteSize > 4 * 256)
        return {};
    const qint64 needed = headerSize + paletteSize + qint64(Stride(width, bits)) * height +
                          qint64(Stride(width, 1)) * height;
    if (needed > payload.size())
        return {};

    QByteArray file(DirectoryHeaderSize + DirectoryEntrySize, '\0');
    char* h = file.data();
    qToLittleEndian<quint16>(IconType, h + 2);
    qToLittleEndian<quint16>(1, h + 4);
    h[6] = char(width == 256 ? 0 : width);
    h[7] = char(height == 256 ? 0 : height);
    qToLittleEndian<quint16>(1, h + 10);
    qToLittleEndian<quint16>(quint16(bits), h + 12);
    qToLittleEndian<quint32>(quint32(payload.size()), h + 14);
    qToLittleEndian<quint32>(quint32(file.size()), h + 18);
    file += payload;
    QImage image = QImage::fromData(file, "ICO");
    if (image.isNull() || image.width() != width || image.height() != height)
        return {};
    return image;
}

QImage DecodeEntry(const Entry& entry) {
    static const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
    if (entry.payload.startsWith(pngSignature))
        return QImage::fromData(entry.payload, "PNG");
    return DecodeBitmap(entry.payload);
}

// Entries in the order a pointer would rather use them: nearest to 32 pixels wide first,
// then the deepest colour.
std::vector<const Entry*> ByPointerPreference(const Directory& dir) {
    std::vector<const Entry*> order;
    for (const Entry& e : dir.entries)
        order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        const int da = std::abs(a->width - 32), db = std::abs(b->width - 32);
        return da != db ? da < db : a->bitCount > b->bitCount;
    });
    return order;
}

// The directory of the icon or cursor file at `path`, with its images; nothing when the file
// cannot be read or is no such file.
std::optional<Directory> ReadFileDirectory(const QString& path) {
    const std::optional<QByteArray> data = ReadWholeFile(path);
    return data ? ReadDirectory(*data) : std::nullopt;
}

} // namespace

std::optional<QCursor> LoadCursorFile(const QString& path) {
    const std::optional<Directory> dir = ReadFileDirectory(path);
    if (!dir)
        return std::nullopt;
    for (const Entry* entry : ByPointerPreference(*dir)) {
        const QImage image = DecodeEntry(*entry);
        if (image.isNull())
            continue;
        int x = image.width() / 2, y = image.height() / 2;
        if (dir->type == CursorType) {
            x = std::min(entry->hotX, image.width() - 1);
            y = std::min(entry->hotY, image.height() - 1);
        }
        return QCursor(QPixmap::fromImage(image), x, y);
    }
    return std::nullopt;
}

std::optional<QIcon> LoadIconFile(const QString& path) {
    const std::optional<Directory> dir = ReadFileDirectory(path);
    if (!dir)
        return std::nullopt;
    QIcon icon;
    for (const Entry& entry : dir->entries) {
        const QImage image = DecodeEntry(entry);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

} // namespace platform
