#!/usr/bin/env python3
"""Makes Pellarine's icons and pointers in resources/:
  icons/pellarine-N.png  the product icon at 16, 22, 24, 32, 48, 64, 128 and 256 pixels, rendered
                         from icons/pellarine.svg by rsvg-convert (Debian package librsvg2-bin)
  pellarine.ico          the window icon, made of the same renderings: 32x32 at 24 bits; 48, 128
                         and 256 at 32 bits with alpha
  data/HAND-M.CUR        the hand pointer shown over push buttons (hotspot at the fingertip)
  data/drag.ico          the pointer shown while a row of the job list is dragged

Usage: make_icons.py [--preview FOLDER]   (--preview also writes enlarged PNGs to look at)
       make_icons.py --check              fails when the committed icons are not what the SVG
                                          gives now; then run make_icons.py and commit
"""

import os
import subprocess
import sys

sys.dont_write_bytecode = True   # keep the source tree free of __pycache__
import icofile  # noqa: E402
from raster import Canvas, capsule, inset, rounded_rect  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)
SVG = os.path.join(RESOURCES, "icons", "pellarine.svg")
WINDOW_ICON = os.path.join(RESOURCES, "pellarine.ico")
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

INK = (0x24, 0x28, 0x30)
PAPER = (0xFF, 0xFF, 0xFF)


def rendered(size):
    """The SVG drawn at size x size pixels, as the PNG bytes rsvg-convert writes."""
    return subprocess.run(["rsvg-convert", "--width", str(size), "--height", str(size), SVG],
                          check=True, stdout=subprocess.PIPE).stdout


def png_path(size):
    return os.path.join(RESOURCES, "icons", "pellarine-%d.png" % size)


def window_icon(images):
    entries = [(32, 24, icofile.dib(images[32], 24), None)]
    entries += [(s, 32, icofile.dib(images[s], 32), None) for s in (48, 128)]
    entries.append((256, 32, icofile.png(images[256]), None))
    return icofile.container(entries, 1)


def alike(a, b, tolerance=8):
    """Same size, and no channel of any pixel further apart than `tolerance` (another librsvg
    release may smooth edges a little differently)."""
    return len(a) == len(b) and all(
        len(ra) == len(rb) and all(abs(x - y) <= tolerance
                                   for pa, pb in zip(ra, rb) for x, y in zip(pa, pb))
        for ra, rb in zip(a, b))


def check():
    """Names every committed icon file that the SVG no longer gives; True when there is none."""
    stale, committed = [], {}
    for size in SIZES:
        try:
            with open(png_path(size), "rb") as f:
                committed[size] = icofile.read_png(f.read())
        except (OSError, ValueError):
            committed[size] = None
        if committed[size] is None or not alike(committed[size], icofile.read_png(rendered(size))):
            stale.append(png_path(size))
    if not stale:
        with open(WINDOW_ICON, "rb") as f:
            if f.read() != window_icon(committed):
                stale.append(WINDOW_ICON)
    for path in stale:
        print("out of date with %s: %s" % (SVG, path), file=sys.stderr)
    return not stale


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
    if sys.argv[1:] == ["--check"]:
        sys.exit(0 if check() else 1)
    preview_folder = sys.argv[2] if len(sys.argv) > 2 and sys.argv[1] == "--preview" else None
    icons = {}
    for size in SIZES:
        png = rendered(size)
        with open(png_path(size), "wb") as f:
            f.write(png)
        icons[size] = icofile.read_png(png)
    with open(WINDOW_ICON, "wb") as f:
        f.write(window_icon(icons))

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
