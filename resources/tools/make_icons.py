#!/usr/bin/env python3
"""Draws Pellarine's icon and pointers and writes them into resources/:
  pellarine.ico       the product icon (32x32 at 24 bits; 48, 128 and 256 at 32 bits with alpha)
  data/HAND-M.CUR     the hand pointer shown over push buttons (hotspot at the fingertip)
  data/drag.ico       the pointer shown while a row of the job list is dragged

Usage: make_icons.py [--preview FOLDER]   (--preview also writes enlarged PNGs to look at)
"""

import os
import sys

sys.dont_write_bytecode = True   # keep the source tree free of __pycache__
import icofile  # noqa: E402
from raster import Canvas, bezier, capsule, circle, inset, rounded_rect, stroke  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)

INK = (0x24, 0x28, 0x30)
PAPER = (0xFF, 0xFF, 0xFF)
FOLD = (0xD6, 0xDB, 0xE3)
BLUE = (0x1E, 0x55, 0xA8)
RED = (0xD3, 0x2A, 0x2F)
RED_DARK = (0x9E, 0x1A, 0x1F)


def product_icon(size):
    """A sheet of paper with a folded corner, a bold vector curve with its end nodes, and a
    red band across the lower part that runs out past the left edge of the sheet."""
    c = Canvas(size, 1024 // size if size >= 128 else max(8, 256 // size))
    u = size / 32.0                      # drawing unit: one pixel of the 32x32 image
    line = max(1.0, 0.75 * u) if size > 32 else 1.0
    left, top, right, bottom, fold = 6.5 * u, 2 * u, 27 * u, 30 * u, 7 * u
    sheet = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    shadow = [(x + 0.8 * u, y + 0.9 * u) for x, y in sheet]
    c.fill(shadow, (0, 0, 0, 60))
    c.fill(sheet, INK)
    c.fill(inset(sheet, line), PAPER)
    corner = [(right - fold, top), (right - fold, top + fold), (right, top + fold)]
    c.fill(corner, INK)
    c.fill(inset(corner, line), FOLD)

    # The bold curve, an S from lower left to upper right.
    p0, p3 = (10.5 * u, 18.5 * u), (22 * u, 9.5 * u)
    p1, p2 = (16 * u, 20.5 * u), (16 * u, 7 * u)
    curve = bezier(p0, p1, p2, p3, 64)
    if size >= 48:
        # Control handles, thin, as a drawing program shows them.
        thin = max(1.0, 0.35 * u)
        stroke(c, [p0, p1], thin, (0x8A, 0x94, 0xA6))
        stroke(c, [p3, p2], thin, (0x8A, 0x94, 0xA6))
        for p in (p1, p2):
            c.fill(circle(p[0], p[1], 0.9 * u), (0x8A, 0x94, 0xA6))
    stroke(c, curve, 2.6 * u if size > 32 else 3.0, BLUE)
    if size >= 48:
        for x, y in (p0, p3):
            h = 1.4 * u
            c.fill(rounded_rect(x - h, y - h, x + h, y + h, 0.3 * u), INK)
            c.fill(rounded_rect(x - h + line, y - h + line, x + h - line, y + h - line, 0.1 * u), PAPER)

    # The red band with a darker fold where it turns behind the sheet.
    band_top, band_bottom = 22.5 * u, 27.5 * u
    c.fill([(1.5 * u, band_top), (right - 1.5 * u, band_top),
            (right - 1.5 * u, band_bottom), (1.5 * u, band_bottom)], RED)
    c.fill([(left, band_bottom), (left + 1.6 * u, band_bottom),
            (left + 1.6 * u, band_bottom + 1.6 * u)], RED_DARK)
    if size >= 48:
        # Three white marks on the band, like the lines of a label.
        for i, width in enumerate((5.5, 3.5, 4.5)):
            x = 4 * u + sum((5.5, 3.5, 4.5)[:i]) * u + i * 1.3 * u
            c.fill(rounded_rect(x, 24.4 * u, x + width * u, 25.6 * u, 0.6 * u), PAPER)
    return c.downsample()


HAND_HOTSPOT = (9, 0)


def hand_pointer():
    """A white hand with a black outline, index finger pointing up; the fingertip is the
    hotspot."""
    c = Canvas(32, 8)
    index = (9.5, 3.2, 9.5, 15, 2.4)
    fingers = [(14.3, 12.6, 14.3, 17, 2.2), (18.7, 13.4, 18.7, 18, 2.2),
               (23.0, 14.8, 23.0, 19, 2.1)]
    thumb = (7.4, 24, 3.8, 18.6, 2.2)
    palm = (7.0, 15.5, 25.2, 29.2, 4.5)
    cuff = (9.5, 26, 24, 31.5)
    outline = 1.0
    c.fill(rounded_rect(palm[0] - outline, palm[1] - outline, palm[2] + outline,
                        palm[3] + outline, palm[4] + outline), INK)
    c.fill([(cuff[0] - outline, cuff[1]), (cuff[2] + outline, cuff[1]),
            (cuff[2] + outline, cuff[3]), (cuff[0] - outline, cuff[3])], INK)
    for x0, y0, x1, y1, r in [index, thumb] + fingers:
        c.fill(capsule(x0, y0, x1, y1, r + outline), INK)
    c.fill(rounded_rect(*palm), PAPER)
    for x0, y0, x1, y1, r in [index, thumb] + fingers:
        c.fill(capsule(x0, y0, x1, y1, r), PAPER)
    # Creases between the fingers, and the cuff's band.
    for x0, y0, x1, y1, r in fingers:
        crease = round(x0 - r - 0.5) + 0.5     # on a pixel column, so it stays crisp
        c.fill([(crease - 0.5, y0 + 0.5), (crease + 0.5, y0 + 0.5),
                (crease + 0.5, y0 + 4), (crease - 0.5, y0 + 4)], INK)
    c.fill([(cuff[0], 26.5), (cuff[2], 26.5), (cuff[2], 27.6), (cuff[0], 27.6)], INK)
    c.fill([(cuff[0], 27.6), (cuff[2], 27.6), (cuff[2], 31.5 - outline),
            (cuff[0], 31.5 - outline)], (0x3C, 0x6E, 0xC8))
    return c.downsample()


def drag_pointer():
    """A list row held between an up and a down arrow: the row follows the pointer."""
    c = Canvas(32, 8)
    o = 1.0
    up = [(16, 1.5), (23, 10), (9, 10)]
    down = [(16, 30.5), (9, 22), (23, 22)]
    for tri in (up, down):
        c.fill(tri, INK)
        c.fill(inset(tri, o * 1.1), PAPER)
    c.fill(rounded_rect(3, 11, 29, 21, 2.0), INK)
    c.fill(rounded_rect(3 + o, 11 + o, 29 - o, 21 - o, 1.2), (0x3C, 0x6E, 0xC8))
    for x0, x1 in ((6, 15), (17, 26)):
        c.fill(rounded_rect(x0, 15, x1, 17, 0.5), PAPER)
    return c.downsample()


def preview(image, path, zoom):
    """An enlarged copy on a checkerboard, to look at the result."""
    out = []
    for y, row in enumerate(image):
        line = []
        for x, (r, g, b, a) in enumerate(row):
            bg = 0xC8 if ((x * zoom // 8) + (y * zoom // 8)) % 2 else 0xF0
            px = tuple(round((ch * a + bg * (255 - a)) / 255) for ch in (r, g, b)) + (255,)
            line.extend([px] * zoom)
        out.extend([line] * zoom)
    with open(path, "wb") as f:
        f.write(icofile.png(out))


def main():
    preview_folder = sys.argv[2] if len(sys.argv) > 2 and sys.argv[1] == "--preview" else None
    icons = {size: product_icon(size) for size in (32, 48, 128, 256)}
    entries = [(32, 24, icofile.dib(icons[32], 24), None)]
    entries += [(s, 32, icofile.dib(icons[s], 32), None) for s in (48, 128)]
    entries.append((256, 32, icofile.png(icons[256]), None))
    with open(os.path.join(RESOURCES, "pellarine.ico"), "wb") as f:
        f.write(icofile.container(entries, 1))

    hand = hand_pointer()
    with open(os.path.join(RESOURCES, "data", "HAND-M.CUR"), "wb") as f:
        f.write(icofile.container([(32, 32, icofile.dib(hand, 32), HAND_HOTSPOT)], 2))

    drag = drag_pointer()
    with open(os.path.join(RESOURCES, "data", "drag.ico"), "wb") as f:
        f.write(icofile.container([(32, 32, icofile.dib(drag, 32), None)], 1))

    if preview_folder:
        os.makedirs(preview_folder, exist_ok=True)
        for size, image in icons.items():
            preview(image, os.path.join(preview_folder, "icon%d.png" % size), max(1, 256 // size))
        preview(hand, os.path.join(preview_folder, "hand.png"), 8)
        preview(drag, os.path.join(preview_folder, "drag.png"), 8)


if __name__ == "__main__":
    main()
