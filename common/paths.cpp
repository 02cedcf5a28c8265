#include "common/paths.h"

#include "platform/failure.h"
#include "platform/filesystem.h"

namespace paths {

namespace {

// The largest position a 16-bit signed counter holds; a separator beyond it overflows.
constexpr qsizetype MaxPosition = 32767;

} // namespace

QChar Separator(Flavour flavour) {
    return flavour == Flavour::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

QString GetFolderPart(const QString& path, Flavour flavour) {
    const qsizetype position = path.lastIndexOf(Separator(flavour)) + 1; // 1-based, 0 if none
    if (position > MaxPosition)
        platform::Raise(platform::errors::Overflow, {});
    return path.left(position);
}

QString GetFileNamePart(const QString& path, Flavour flavour) {
    return path.mid(path.lastIndexOf(Separator(flavour)) + 1);
}

QString FixPathSeparators(const QString& path, Flavour flavour) {
    const QChar separator = Separator(flavour);
    const QString doubled(2, separator);
    if (!path.startsWith(separator))
        return QString(path).replace(doubled, separator);
    qsizetype k = 1;
    while (k < path.size() && path[k] == separator)
        ++k;
    const QString lead = flavour == Flavour::Windows ? doubled : QString(separator);
    return lead + path.mid(k).replace(doubled, separator);
}

bool FolderExists(const QString& path) {
    const auto value = platform::FileAttributes(path);
    return value && (*value & platform::attributes::Directory);
}

void DeleteFileQuiet(const QString& path) {
    try {
        DeleteFileForced(path);
    } catch (const platform::Failure&) {
    }
}

void DeleteFileForced(const QString& path) { platform::RemoveFile(path); }

void WriteTextFile(const QString& path, const QString& text) {
    platform::WriteFileBytes(path, text.toUtf8());
}

} // namespace paths
