#include "convert/boundingbox.h"

#include "platform/filesystem.h"

#include <QFile>
#include <QList>
#include <optional>

namespace boundingbox {

namespace {

// How far into a drawing its header comments may reach.
constexpr qint64 HeaderBytes = 8192;

const QList<QByteArray>& BoxKeys() {
    static const QList<QByteArray> keys{"%%BoundingBox:", "%%HiResBoundingBox:"};
    return keys;
}

struct Line {
    qsizetype start = -1;
    qsizetype end = -1; // before the line break
};

Line LineAt(const QByteArray& text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    return {start, end};
}

// The line of the header that starts with `key` and says "(atend)".
Line DeferredLine(const QByteArray& eps, const QByteArray& key) {
    const qsizetype headerEnd = std::min<qsizetype>(eps.size(), HeaderBytes);
    for (qsizetype at = eps.indexOf(key); at >= 0 && at < headerEnd;
         at = eps.indexOf(key, at + 1)) {
        if (at > 0 && eps[at - 1] != '\n' && eps[at - 1] != '\r')
            continue;
        const Line line = LineAt(eps, at);
        if (eps.mid(line.start + key.size(), line.end - line.start - key.size()).trimmed() ==
            "(atend)")
            return line;
    }
    return {};
}

// The last line of the trailer that starts with `key` and gives four numbers.
std::optional<QByteArray> TrailerBox(const QByteArray& eps, const QByteArray& key,
                                     qsizetype after) {
    for (qsizetype at = eps.lastIndexOf(key); at > after; at = eps.lastIndexOf(key, at - 1)) {
        if (eps[at - 1] != '\n' && eps[at - 1] != '\r')
            continue;
        const Line line = LineAt(eps, at);
        const QByteArray lineText = eps.mid(line.start, line.end - line.start);
        const QList<QByteArray> values = lineText.mid(key.size()).simplified().split(' ');
        bool numbers = values.size() == 4;
        for (const QByteArray& value : values) {
            bool ok = false;
            value.toDouble(&ok);
            numbers = numbers && ok;
        }
        if (numbers)
            return lineText;
    }
    return std::nullopt;
}

// The PostScript section of a drawing with a binary preview header (a magic number, then the
// section's offset and length, little-endian); nothing for any other drawing.
std::optional<QByteArray> PostScriptSection(const QByteArray& eps) {
    if (eps.size() < 12 || !eps.startsWith("\xC5\xD0\xD3\xC6"))
        return std::nullopt;
    const auto word = [&eps](qsizetype at) {
        quint32 value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(eps[at + i]);
        return qint64(value);
    };
    const qint64 offset = word(4), length = word(8);
    if (offset < 12 || length <= 0 || offset + length > eps.size())
        return std::nullopt;
    return eps.mid(offset, length);
}

// Puts the trailer's boxes in place of the header's deferred lines of `eps`; answers what it
// found.
Box FillIn(QByteArray& eps) {
    if (!eps.startsWith("%!"))
        return Box::AsGiven;
    Box found = Box::AsGiven;
    for (const QByteArray& key : BoxKeys()) {
        const Line line = DeferredLine(eps, key);
        if (line.start < 0)
            continue;
        const std::optional<QByteArray> box = TrailerBox(eps, key, line.end);
        if (!box) {
            if (found == Box::AsGiven)
                found = Box::NotGiven;
            continue;
        }
        eps.replace(line.start, line.end - line.start, *box);
        found = Box::FilledIn;
    }
    return found;
}

} // namespace

Box FillInDeferredBox(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.peek(HeaderBytes).contains("(atend)"))
        return Box::AsGiven;
    QByteArray eps = file.readAll();
    file.close();
    // Of a drawing with a preview only its PostScript is drawn, so that alone is kept.
    if (const std::optional<QByteArray> section = PostScriptSection(eps))
        eps = *section;
    const Box found = FillIn(eps);
    if (found == Box::FilledIn)
        platform::WriteFileBytes(path, eps);
    return found;
}

} // namespace boundingbox
