#include "convert/boundingbox.h"

#include "platform/filesystem.h"

#include <QFile>
#include <QList>

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

} // namespace

std::optional<QByteArray> WithBoxFromTrailer(const QByteArray& eps) {
    if (!eps.startsWith("%!"))
        return std::nullopt;
    QByteArray result = eps;
    bool changed = false;
    for (const QByteArray& key : BoxKeys()) {
        const Line deferred = DeferredLine(result, key);
        if (deferred.start < 0)
            continue;
        const std::optional<QByteArray> box = TrailerBox(result, key, deferred.end);
        if (!box)
            continue;
        result.replace(deferred.start, deferred.end - deferred.start, *box);
        changed = true;
    }
    return changed ? std::optional<QByteArray>(result) : std::nullopt;
}

bool FillInDeferredBox(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.peek(HeaderBytes).contains("(atend)"))
        return false;
    const std::optional<QByteArray> filled = WithBoxFromTrailer(file.readAll());
    file.close();
    if (!filled)
        return false;
    platform::WriteFileBytes(path, *filled);
    return true;
}

} // namespace boundingbox
