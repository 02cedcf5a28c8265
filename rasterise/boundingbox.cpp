#include "rasterise/boundingbox.h"

#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QFile>
#include <QList>
#include <QSaveFile>
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

// Where the header's comments end: at the line that ends them, or after the first bytes.
qsizetype HeaderEnd(const QByteArray& eps) {
    qsizetype end = std::min<qsizetype>(eps.size(), HeaderBytes);
    for (const char* mark : {"\n%%EndComments", "\n%%BeginProlog", "\n%%BeginSetup",
                             "\r%%EndComments", "\r%%BeginProlog", "\r%%BeginSetup"}) {
        const qsizetype at = eps.indexOf(mark);
        if (at >= 0 && at < end)
            end = at;
    }
    return end;
}

// What a line that starts with `key` gives after it.
QByteArray ValueOf(const QByteArray& eps, const Line& line, const QByteArray& key) {
    return eps.mid(line.start + key.size(), line.end - line.start - key.size()).trimmed();
}

// The first line of the header that starts with `key`.
Line HeaderLine(const QByteArray& eps, const QByteArray& key) {
    const qsizetype headerEnd = HeaderEnd(eps);
    for (qsizetype at = eps.indexOf(key); at >= 0 && at < headerEnd; at = eps.indexOf(key, at + 1))
        if (at > 0 && (eps[at - 1] == '\n' || eps[at - 1] == '\r'))
            return LineAt(eps, at);
    return {};
}

// The line of the header that starts with `key` and says "(atend)".
Line DeferredLine(const QByteArray& eps, const QByteArray& key) {
    const Line line = HeaderLine(eps, key);
    return line.start >= 0 && ValueOf(eps, line, key) == "(atend)" ? line : Line{};
}

// Whether `value` is `count` numbers.
bool AreNumbers(const QByteArray& value, qsizetype count) {
    const QList<QByteArray> values = value.simplified().split(' ');
    bool numbers = values.size() == count;
    for (const QByteArray& number : values) {
        bool ok = false;
        number.toDouble(&ok);
        numbers = numbers && ok;
    }
    return numbers;
}

// The last line of the trailer that starts with `key` and gives `count` numbers.
std::optional<QByteArray> TrailerLine(const QByteArray& eps, const QByteArray& key, qsizetype after,
                                      qsizetype count = 4) {
    for (qsizetype at = eps.lastIndexOf(key); at > after; at = eps.lastIndexOf(key, at - 1)) {
        if (eps[at - 1] != '\n' && eps[at - 1] != '\r')
            continue;
        const Line line = LineAt(eps, at);
        if (AreNumbers(ValueOf(eps, line, key), count))
            return eps.mid(line.start, line.end - line.start);
    }
    return std::nullopt;
}

// Whether Ghostscript takes the file for a drawing: its first bytes, as far as Ghostscript
// reads them, say "EPSF".
bool SaysEpsf(const QByteArray& eps) {
    return eps.startsWith("%!PS-Adobe-") && eps.left(23).contains("EPSF");
}

// Whether the header gives a box, or, when `deferredToo`, defers it to the end.
bool GivesBox(const QByteArray& eps, bool deferredToo) {
    const QByteArray key = "%%BoundingBox:";
    const Line line = HeaderLine(eps, key);
    return line.start >= 0 && (AreNumbers(ValueOf(eps, line, key), 4) ||
                               (deferredToo && ValueOf(eps, line, key) == "(atend)"));
}

// Whether a file whose first line does not say "EPSF" is one Ghostscript should take for a
// drawing: its first line is a comment (also a mistyped "%%!"), its header gives a box and says of
// no more than one page (deferred to the end, the trailer says). Ghostscript crops every page of a
// drawing to the box but places only the first one in it, so a document of several pages stays one.
// Of the file's first bytes alone (not `wholeFile`), whether it may be one, what is deferred to the
// end unknown.
bool IsUnmarkedDrawing(const QByteArray& eps, bool wholeFile) {
    if (!eps.startsWith('%') || SaysEpsf(eps) || !GivesBox(eps, !wholeFile))
        return false;
    const QByteArray key = "%%Pages:";
    const Line line = HeaderLine(eps, key);
    QByteArray pages = line.start >= 0 ? ValueOf(eps, line, key) : QByteArray();
    if (pages == "(atend)" && wholeFile)
        pages = TrailerLine(eps, key, line.end, 1).value_or(key).mid(key.size()).trimmed();
    bool number = false;
    const int count = pages.toInt(&number);
    return !number || count <= 1;
}

// Where the PostScript section of a drawing with a binary preview header lies, as the first
// bytes say (a magic number, then the section's offset and length, little-endian); nothing for
// any other drawing.
struct Section {
    qint64 offset = 0;
    qint64 length = 0;
};
std::optional<Section> PreviewSection(const QByteArray& head) {
    if (head.size() < 12 || !head.startsWith("\xC5\xD0\xD3\xC6"))
        return std::nullopt;
    const auto word = [&head](qsizetype at) {
        quint32 value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(head[at + i]);
        return qint64(value);
    };
    const Section section{word(4), word(8)};
    if (section.offset < 12 || section.length <= 0)
        return std::nullopt;
    return section;
}

// The PostScript section of a drawing with a binary preview header; nothing for any other.
std::optional<QByteArray> PostScriptSection(const QByteArray& eps) {
    const std::optional<Section> section = PreviewSection(eps);
    if (!section || section->offset + section->length > eps.size())
        return std::nullopt;
    return eps.mid(section->offset, section->length);
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
        const std::optional<QByteArray> box = TrailerLine(eps, key, line.end);
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

// The first line that has Ghostscript take a file for a drawing.
const QByteArray EpsfLine = "%!PS-Adobe-3.0 EPSF-3.0";

// Marks `eps` as a drawing when it is one that does not say so; answers whether it did.
bool Mark(QByteArray& eps) {
    if (!IsUnmarkedDrawing(eps, true))
        return false;
    eps.replace(0, LineAt(eps, 0).end, EpsfLine);
    return true;
}

// Puts EpsfLine in place of the first `lineEnd` bytes of the file at `path`, copying the rest
// piece by piece, so that a drawing of any size is never held whole.
void MarkInPlace(const QString& path, qsizetype lineEnd) {
    QFile source(path);
    QSaveFile target(path);
    bool written = source.open(QIODevice::ReadOnly) && source.seek(lineEnd) &&
                   target.open(QIODevice::WriteOnly) && target.write(EpsfLine) == EpsfLine.size();
    while (written && !source.atEnd()) {
        const QByteArray piece = source.read(1 << 20);
        written = !piece.isEmpty() && target.write(piece) == piece.size();
    }
    if (!written || !target.commit())
        platform::Raise(target.error() == QFileDevice::ResourceError
                            ? platform::errors::DiskFull
                            : platform::errors::PathFileAccess,
                        QStringLiteral("The copy %1 cannot be marked as a drawing: %2")
                            .arg(platform::Native(path), target.errorString()));
}

// The first bytes of the PostScript of the file: after a binary preview header, those of its
// PostScript section.
QByteArray PostScriptHead(QFile& file) {
    const QByteArray head = file.peek(HeaderBytes);
    const std::optional<Section> place = PreviewSection(head);
    if (!place)
        return head;
    QFile section(file.fileName());
    if (!section.open(QIODevice::ReadOnly) || !section.seek(place->offset))
        return {};
    return section.read(std::min<qint64>(HeaderBytes, place->length));
}

} // namespace

Box PrepareCopy(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Box::AsGiven;
    const bool preview = PreviewSection(file.peek(12)).has_value();
    const QByteArray head = PostScriptHead(file);
    const bool deferred = head.contains("(atend)");
    if (!deferred && !IsUnmarkedDrawing(head, false))
        return Box::AsGiven;
    if (!deferred && !preview) {
        file.close();
        MarkInPlace(path, LineAt(head, 0).end);
        return Box::AsGiven;
    }
    QByteArray eps = file.readAll();
    file.close();
    // Of a drawing with a preview only its PostScript is drawn, so that alone is kept.
    if (const std::optional<QByteArray> section = PostScriptSection(eps))
        eps = *section;
    const Box found = FillIn(eps);
    if (Mark(eps) || found == Box::FilledIn)
        platform::WriteFileBytes(path, eps);
    return found;
}

} // namespace boundingbox
