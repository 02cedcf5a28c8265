"""Writers for PNG, Windows DIB icon images, and the ICO/CUR container, and a reader for the
PNG files that rsvg-convert writes. Images are lists of rows of straight-alpha (r, g, b, a)
tuples, top row first."""

import struct
import zlib


def png(image):
    height, width = len(image), len(image[0])
    raw = bytearray()
    for row in image:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def read_png(data):
    """Decodes a non-interlaced PNG with 8-bit RGBA pixels (what rsvg-convert writes)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, header, compressed = 8, None, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        pos += 12 + length
    if header is None or header[2:5] != (8, 6, 0) or header[6] != 0:
        raise ValueError("only non-interlaced 8-bit RGBA PNG files are read")
    width, height = header[0], header[1]
    raw = zlib.decompress(compressed)
    stride = 4 * width
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = previous[i]
            c = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x:x + 4]) for x in range(0, stride, 4)])
        previous = line
    return rows


def dib(image, bits):
    """A BITMAPINFOHEADER image with the colour (XOR) bitmap at 24 or 32 bits per pixel and
    the 1-bit AND mask, both stored bottom-up; the header height counts both halves."""
    height, width = len(image), len(image[0])
    colour = bytearray()
    for row in reversed(image):
        line = bytearray()
        for r, g, b, a in row:
            if bits == 32:
                line += bytes((b, g, r, a))
            elif a >= 128:
                line += bytes((b, g, r))
            else:
                line += b"\0\0\0"
        line += b"\0" * (-len(line) % 4)
        colour += line
    mask = bytearray()
    for row in reversed(image):
        line = bytearray((width + 7) // 8)
        for x, (_, _, _, a) in enumerate(row):
            transparent = a == 0 if bits == 32 else a < 128
            if transparent:
                line[x // 8] |= 0x80 >> (x % 8)
        line += b"\0" * (-len(line) % 4)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def container(entries, kind=1):
    """An ICO (kind 1) or CUR (kind 2) file. Each entry is (size, bits, payload, hotspot);
    the hotspot is used for cursors, where it replaces the planes and bit count fields."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for size, bits, payload, hotspot in entries:
        dim = 0 if size >= 256 else size
        a, b = hotspot if kind == 2 else (1, bits)
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, a, b, len(payload), offset)
        offset += len(payload)
        body += payload
    return out + body
