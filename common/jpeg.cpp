#include "common/jpeg.h"

#include "platform/filesystem.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <deque>
#include <mutex>

#include <jerror.h>
#include <jpeglib.h>

namespace jpeg {

namespace {

int Be16(const QByteArray& bytes, qsizetype at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

} // namespace

namespace {

// What one marker segment of a JPEG says, as far as embedding it in a PDF goes.
enum class Segment { Other, Adobe, Frame, Unusable, ImageData };

// The density of a JFIF header (APP0): its unit (1 dots per inch, 2 per centimetre, 0 none)
// and the dots across and down.
void ReadDensity(const QByteArray& jpeg, qsizetype segment, JpegFacts& facts) {
    const int unit = static_cast<unsigned char>(jpeg[segment + 7]);
    const double perInch = unit == 1 ? 1.0 : unit == 2 ? 2.54 : 0.0;
    const int x = Be16(jpeg, segment + 8), y = Be16(jpeg, segment + 10);
    if (perInch > 0 && x > 0 && y > 0) {
        facts.dpiX = x * perInch;
        facts.dpiY = y * perInch;
    }
}

Segment Classify(const QByteArray& jpeg, int marker, qsizetype segment, int length,
                 JpegFacts& facts) {
    if (marker == 0xEE && length >= 14 && jpeg.mid(segment, 5) == "Adobe")
        return Segment::Adobe;
    if (marker == 0xE0 && length >= 16 && jpeg.mid(segment, 5) == QByteArray("JFIF", 5) &&
        facts.dpiX == 0)
        ReadDensity(jpeg, segment, facts);
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
        if (length < 8 || static_cast<unsigned char>(jpeg[segment]) != 8)
            return Segment::Unusable; // only 8-bit samples go into a PDF unchanged
        facts.height = Be16(jpeg, segment + 1);
        facts.width = Be16(jpeg, segment + 3);
        facts.components = static_cast<unsigned char>(jpeg[segment + 5]);
        return Segment::Frame;
    }
    if (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
        return Segment::Unusable; // lossless, hierarchical or arithmetic-coded
    if (marker == 0xDA || marker == 0xD9)
        return Segment::ImageData;
    return Segment::Other;
}

bool Usable(const JpegFacts& facts) {
    return facts.width > 0 && facts.height > 0 &&
           (facts.components == 1 || facts.components == 3 || facts.components == 4);
}

} // namespace

std::optional<JpegFacts> ReadJpegFacts(const QByteArray& jpeg) {
    if (jpeg.size() < 4 || Be16(jpeg, 0) != 0xFFD8)
        return std::nullopt;
    JpegFacts facts;
    bool adobe = false;
    for (qsizetype at = 2; at + 4 <= jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[at]) != 0xFF)
            return std::nullopt;
        const int marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2; // a fill byte, or a marker without a segment
            continue;
        }
        const int length = Be16(jpeg, at + 2);
        if (length < 2 || at + 2 + length > jpeg.size())
            return std::nullopt;
        const Segment kind = Classify(jpeg, marker, at + 4, length, facts);
        if (kind == Segment::Unusable)
            return std::nullopt;
        if (kind == Segment::ImageData)
            break;
        adobe = adobe || kind == Segment::Adobe;
        at += 2 + length;
    }
    if (!Usable(facts))
        return std::nullopt;
    facts.invertedCmyk = adobe && facts.components == 4;
    return facts;
}

namespace {

// libjpeg reports a failure by calling back; the callbacks jump back to the decode.
struct Alarm {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void Fail(j_common_ptr decoder) {
    std::longjmp(reinterpret_cast<Alarm*>(decoder->err)->back, 1);
}

// A warning is what libjpeg says of corrupt data it decodes on through (a cut-off scan, a bad
// code): for a picture to print, that is a failure too.
void Warn(j_common_ptr decoder, int level) {
    if (level < 0)
        Fail(decoder);
}

// libjpeg's source of bytes: a picture file from a place on, read in pieces.
struct FileSource {
    jpeg_source_mgr manager;
    QFile* file;
    qint64 taken; // bytes handed over so far
    JOCTET buffer[1 << 16];
};

FileSource* SourceOf(j_decompress_ptr decoder) {
    return reinterpret_cast<FileSource*>(decoder->src);
}

void Begin(j_decompress_ptr) {}

// An end of the file before the end of the picture is a failure, as any cut-off picture is.
boolean Refill(j_decompress_ptr decoder) {
    FileSource* source = SourceOf(decoder);
    const qint64 got =
        source->file->read(reinterpret_cast<char*>(source->buffer), sizeof source->buffer);
    if (got <= 0) {
        decoder->err->msg_code = JERR_INPUT_EOF;
        decoder->err->error_exit(reinterpret_cast<j_common_ptr>(decoder));
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = size_t(got);
    source->taken += got;
    return TRUE;
}

void Skip(j_decompress_ptr decoder, long count) {
    FileSource* source = SourceOf(decoder);
    if (count <= 0)
        return;
    if (size_t(count) <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= size_t(count);
        return;
    }
    const qint64 beyond = count - qint64(source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    source->file->seek(source->file->pos() + beyond);
    source->taken += beyond;
}

void End(j_decompress_ptr) {}

// The most memory libjpeg may take for one picture: a picture that needs more (a progressive
// one of enormous size) is refused rather than decoded.
constexpr long DecoderMemoryBytes = 64L << 20;

// Decodes the JPEG that starts at `at` in `file` to its end-of-image marker and answers how many
// bytes it took, 0 when it does not decode whole. It is decoded at an eighth of its size: every
// code of the picture is still read, at little cost. Plain C inside, as a jump over C++ objects
// would skip their destructors.
qint64 DecodedLength(QFile& file, qint64 at) {
    jpeg_decompress_struct decoder;
    Alarm alarm;
    FileSource source;
    decoder.err = jpeg_std_error(&alarm.manager);
    alarm.manager.error_exit = Fail;
    alarm.manager.emit_message = Warn;
    jpeg_create_decompress(&decoder);
    decoder.mem->max_memory_to_use = DecoderMemoryBytes;
    source.manager = {nullptr, 0, Begin, Refill, Skip, jpeg_resync_to_restart, End};
    source.file = &file;
    source.taken = 0;
    decoder.src = &source.manager;
    qint64 used = 0;
    if (!file.seek(at)) {
        jpeg_destroy_decompress(&decoder);
        return 0;
    }
    if (setjmp(alarm.back) == 0) {
        jpeg_read_header(&decoder, TRUE);
        decoder.scale_num = 1;
        decoder.scale_denom = 8;
        decoder.dct_method = JDCT_IFAST;
        decoder.do_fancy_upsampling = FALSE;
        jpeg_start_decompress(&decoder);
        const JDIMENSION width = decoder.output_width * JDIMENSION(decoder.output_components);
        JSAMPARRAY row = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder),
                                                      JPOOL_IMAGE, width, 1);
        while (decoder.output_scanline < decoder.output_height)
            jpeg_read_scanlines(&decoder, row, 1);
        jpeg_finish_decompress(&decoder);
        used = source.taken - qint64(source.manager.bytes_in_buffer);
    }
    jpeg_destroy_decompress(&decoder);
    return used;
}

// Whether a picture starts at `at`: its start-of-image marker.
bool PictureStartsAt(QFile& file, qint64 at) {
    return file.seek(at) && file.read(2) == QByteArrayLiteral("\xFF\xD8");
}

} // namespace

namespace {

// The picture files last found whole, by their identity, which any write changes: the PDF
// Writer printing a picture that was checked as it was made reads it through only once.
struct Checked {
    platform::FileIdentity file;
    QList<PictureSpan> pictures;
};
constexpr std::size_t CheckedKept = 32;
std::mutex checkedLock;
std::deque<Checked> checked;

std::optional<QList<PictureSpan>> CheckedBefore(const platform::FileIdentity& file) {
    const std::lock_guard hold(checkedLock);
    for (const Checked& known : checked)
        if (known.file == file)
            return known.pictures;
    return std::nullopt;
}

void NoteChecked(const platform::FileIdentity& file, const QList<PictureSpan>& pictures) {
    const std::lock_guard hold(checkedLock);
    checked.push_back({file, pictures});
    if (checked.size() > CheckedKept)
        checked.pop_front();
}

std::optional<QList<PictureSpan>> ReadWholePictures(QFile& file) {
    const qint64 size = file.size();
    QList<PictureSpan> pictures;
    qint64 at = 0;
    while (at + 2 <= size && PictureStartsAt(file, at)) {
        const qint64 used = DecodedLength(file, at);
        if (used == 0)
            return std::nullopt;
        pictures.append({at, used});
        at += used;
    }
    constexpr qint64 Padding = 16;
    if (pictures.isEmpty() || size - at > Padding)
        return std::nullopt;
    return pictures;
}

} // namespace

std::optional<QList<PictureSpan>> WholePictures(QFile& file) {
    const std::optional<platform::FileIdentity> identity =
        platform::FileIdentityOfOpen(file.handle());
    if (identity)
        if (auto known = CheckedBefore(*identity))
            return known;
    std::optional<QList<PictureSpan>> pictures = ReadWholePictures(file);
    if (pictures && identity && platform::FileIdentityOfOpen(file.handle()) == identity)
        NoteChecked(*identity, *pictures);
    return pictures;
}

} // namespace jpeg
