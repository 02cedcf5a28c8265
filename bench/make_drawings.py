#!/usr/bin/env python3
"""Writes the drawings that bench_textquality converts: EPS files of the kinds people convert,
into the folder named as the argument. Typeset text comes from groff (manual pages, a report
set in three sizes, a formula and a table) and from vim's printing (source listings); plots and
graphs are drawn here or by groff's pic; raster pictures embed the project's own images and
Ghostscript renderings. Each file's name starts with its kind: text-, plot- or raster-. Needs
groff, vim and Ghostscript; the output is the same on every run."""

import gzip
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "resources", "tools"))
from make_samples import eps, path, pstr  # noqa: E402


def run(command, stdin=None):
    return subprocess.run(command, input=stdin, capture_output=True, check=True).stdout


def first_page_as_eps(postscript, target):
    """The first page of a PostScript document, cropped to what it draws."""
    source = target + ".ps"
    with open(source, "wb") as f:
        f.write(postscript)
    run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=eps2write", "-dFirstPage=1",
         "-dLastPage=1", "-sOutputFile=" + target, source])
    os.remove(source)


def typeset(out):
    for page in ("gs", "bash", "grep", "tar"):
        manual = run(["man", "-w", page]).decode().strip()
        with gzip.open(manual) as f:
            source = f.read()
        first_page_as_eps(run(["groff", "-Tps", "-t", "-man"], source), out("text-man-" + page))
    first_page_as_eps(run(["groff", "-Tps", "-man", os.path.join(ROOT, "packaging", "pellarine.1")]),
                      out("text-man-pellarine"))
    with open(os.path.join(ROOT, "README.md")) as f:
        prose = [p.replace("\n", " ").replace("`", "") for p in f.read().split("\n\n")
                 if p and p[0].isalpha()][:8]
    page = ".po 1i\n.ll 6.5i\n"
    for size in (8, 10, 12):
        report = page + ".ps %d\n.vs %d\n.ft B\n.ce\nPellarine\n.ft R\n.sp\n" % (size, size + 2)
        report += "\n.sp 0.5\n".join(prose) + "\n"
        first_page_as_eps(run(["groff", "-Tps"], report.encode()), out("text-report-%dpt" % size))
    formula = (page + ".EQ\ndelim $$\n.EN\nThe smoothed edge covers $alpha = k over 16$ of a pixel.\n"
               ".EQ\nSSIM(x,y) = {(2 mu sub x mu sub y + C sub 1)(2 sigma sub xy + C sub 2)} over\n"
               "{(mu sub x sup 2 + mu sub y sup 2 + C sub 1)(sigma sub x sup 2 + sigma sub y sup 2"
               " + C sub 2)}\n.EN\n.EQ\nint from 0 to inf e sup {-x sup 2} dx = sqrt pi over 2\n.EN\n")
    first_page_as_eps(run(["groff", "-Tps", "-e"], formula.encode()), out("text-formula"))
    table = page + ".TS\nbox center tab(;);\nc c c\nl n n.\nFile;Pages;Seconds\n_\n"
    table += "".join("drawing-%02d.eps;%d;%.2f\n" % (i, i % 7 + 1, 0.05 * i + 0.3) for i in range(18))
    first_page_as_eps(run(["groff", "-Tps", "-t"], (table + ".TE\n").encode()), out("text-table"))
    for source in ("main.cpp", "app/layout.cpp", "convert/rasterise.cpp"):
        listing = out("listing") + ".ps"
        run(["vim", "-u", "NONE", "-Nes", "-c", "syntax on", "-c", "hardcopy > " + listing, "-c", "qa!",
             os.path.join(ROOT, source)])
        with open(listing, "rb") as f:
            first_page_as_eps(f.read(), out("text-listing-" + os.path.basename(source)))
        os.remove(listing)


def axes(left, bottom, right, top, xs, ys, size):
    """A frame with ticks and labels at the given data-to-page positions."""
    body = ["0 setgray 0.8 setlinewidth %d %d %d %d rectstroke" % (left, bottom, right - left, top - bottom),
            "/Helvetica findfont %g scalefont setfont 0.5 setlinewidth" % size]
    for x, label in xs:
        body += ["newpath %.1f %d moveto 0 4 rlineto stroke" % (x, bottom),
                 "%.1f %.1f moveto %s ctext" % (x, bottom - size - 2, pstr(label))]
    for y, label in ys:
        body += ["newpath %d %.1f moveto 4 0 rlineto stroke" % (left, y),
                 "%d %.1f moveto %s rtext" % (left - 4, y - size / 3, pstr(label))]
    return body


COLOURS = ["0.12 0.47 0.71", "1 0.5 0.05", "0.17 0.63 0.17", "0.84 0.15 0.16", "0.58 0.4 0.74"]


def line_plot(series, size, title, w=460, h=320, log=False):
    left, bottom, right, top = 50, 40, w - 20, h - 40
    fx = lambda x: left + (right - left) * x / 10
    fy = (lambda y: bottom + (top - bottom) * math.log10(y) / 4) if log else \
         (lambda y: bottom + (top - bottom) * (y + 1.5) / 3)
    ys = [(fy(10 ** k), "1e%d" % k) for k in range(5)] if log else \
         [(fy(v / 2), "%.1f" % (v / 2)) for v in range(-3, 4)]
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h)]
    if log:
        body += ["0.88 setgray 0.3 setlinewidth"] + [
            "newpath %d %.1f moveto %d %.1f lineto stroke" % (left, fy(m * 10 ** k), right, fy(m * 10 ** k))
            for k in range(4) for m in range(2, 10)]
    body += axes(left, bottom, right, top, [(fx(v), str(v)) for v in range(0, 11, 2)], ys, size)
    for i, f in enumerate(series):
        points = [(fx(t / 20), fy(f(t / 20))) for t in range(201)]
        body += ["%s rgb 1.2 setlinewidth 1 setlinejoin" % COLOURS[i], path(points), "stroke",
                 "%d %d 14 2 box fill" % (right - 110, top - 14 - 12 * i),
                 "0.2 setgray %d %d moveto %s show" % (right - 92, top - 17 - 12 * i, pstr("series %d" % (i + 1)))]
    body += ["0 setgray /Helvetica-Bold findfont %g scalefont setfont" % (size + 3),
             "%d %d moveto %s ctext" % (w / 2, h - 24, pstr(title)),
             "/Helvetica findfont %g scalefont setfont %d 10 moveto (time [s]) ctext" % (size, w / 2)]
    return (0, 0, w, h), "\n".join(body)


def scatter(n, size, seed, w=400, h=360):
    rng = random.Random(seed)
    left, bottom, right, top = 50, 40, w - 20, h - 40
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h)]
    body += axes(left, bottom, right, top, [(left + (right - left) * v / 5, str(v * 20)) for v in range(6)],
                 [(bottom + (top - bottom) * v / 5, str(v * 20)) for v in range(6)], size)
    for i in range(n):
        x = rng.gauss(50, 18) if i % 2 else rng.uniform(5, 95)
        y = min(98, max(2, 0.8 * x + rng.gauss(10, 8)))
        x = min(98, max(2, x))
        body.append("%s rgb newpath %.1f %.1f 2.2 0 360 arc fill" % (
            COLOURS[i % 3], left + (right - left) * x / 100, bottom + (top - bottom) * y / 100))
    body += ["0 setgray /Helvetica-Bold findfont %g scalefont setfont" % (size + 3),
             "%d %d moveto (Measured against expected) ctext" % (w / 2, h - 24)]
    return (0, 0, w, h), "\n".join(body)


def bars(values, labels, size, horizontal, w=480, h=320):
    left, bottom, right, top = (150 if horizontal else 50), 40, w - 20, h - 40
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h)]
    peak = max(values)
    slot = ((top - bottom) if horizontal else (right - left)) / len(values)
    for i, v in enumerate(values):
        if horizontal:
            body += ["%s rgb %d %.1f %.1f %.1f box fill" % (COLOURS[i % 5], left, bottom + slot * i + 2,
                                                          (right - left) * v / peak, slot - 4),
                     "0.2 setgray /Helvetica findfont %g scalefont setfont %d %.1f moveto %s rtext"
                     % (size, left - 4, bottom + slot * i + slot / 2 - 3, pstr(labels[i]))]
        else:
            body += ["%s rgb %.1f %d %.1f %.1f box fill" % (COLOURS[0], left + slot * i + 1, bottom,
                                                          slot - 2, (top - bottom) * v / peak)]
    if not horizontal:
        body += axes(left, bottom, right, top, [(left + slot * i + slot / 2, labels[i]) for i in range(0, len(values), 4)],
                     [(bottom + (top - bottom) * k / 4, str(int(peak * k / 4))) for k in range(5)], size)
    body += ["0 setgray /Helvetica-Bold findfont %g scalefont setfont" % (size + 3),
             "%d %d moveto %s ctext" % (w / 2, h - 24, pstr("Files by size" if horizontal else "Histogram"))]
    return (0, 0, w, h), "\n".join(body)


def pie(w=400, h=360):
    shares = [("Plots", 34), ("Typeset text", 27), ("Pictures", 21), ("Diagrams", 12), ("Other", 6)]
    cx, cy, r, a = 160, 170, 120, 90.0
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h), "/Helvetica findfont 10 scalefont setfont"]
    for i, (label, share) in enumerate(shares):
        b = a - 360 * share / 100
        body += ["%s rgb newpath %d %d moveto %d %d %d %.1f %.1f arcn closepath fill" % (COLOURS[i], cx, cy, cx, cy, r, a, b),
                 "1 setgray 1.5 setlinewidth newpath %d %d moveto %d %d %d %.1f %.1f arcn closepath stroke" % (cx, cy, cx, cy, r, a, b),
                 "%s rgb 300 %d 10 10 box fill 0.2 setgray 316 %d moveto %s show"
                 % (COLOURS[i], 250 - 20 * i, 251 - 20 * i, pstr("%s %d%%" % (label, share)))]
        a = b
    return (0, 0, w, h), "\n".join(body)


def stacked(w=460, h=300):
    rng = random.Random(5)
    layers = [[abs(math.sin(t / 6 + k)) * 20 + rng.uniform(0, 6) for t in range(41)] for k in range(4)]
    left, bottom, right, top = 50, 40, w - 20, h - 40
    base = [0.0] * 41
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h)]
    for k, layer in enumerate(layers):
        upper = [b + v for b, v in zip(base, layer)]
        fx = lambda t: left + (right - left) * t / 40
        fy = lambda v: bottom + (top - bottom) * v / 110
        points = [(fx(t), fy(upper[t])) for t in range(41)] + [(fx(t), fy(base[t])) for t in range(40, -1, -1)]
        body += ["%s rgb" % COLOURS[k], path(points, True), "fill"]
        base = upper
    body += axes(left, bottom, right, top, [(left + (right - left) * m / 12, "M%d" % (m + 1)) for m in range(0, 12, 2)],
                 [(bottom + (top - bottom) * v / 110, str(v)) for v in range(0, 101, 25)], 8)
    return (0, 0, w, h), "\n".join(body)


def pic(source, out):
    first_page_as_eps(run(["groff", "-Tps", "-p"], (".PS\n" + source + "\n.PE\n").encode()), out)


def png_pixels(file):
    """RGB rows of an 8-bit, non-interlaced RGB or RGBA PNG, transparency laid on white."""
    with open(file, "rb") as f:
        data = f.read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, _, colour = struct.unpack(">IIBB", chunk[:10])
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    channels = 4 if colour == 6 else 3
    raw, stride, rows, previous = zlib.decompress(idat), width * channels, [], bytearray(width * channels)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        previous = line
        rgb = bytearray()
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            alpha = px[3] if channels == 4 else 255
            rgb += bytes((v * alpha + 255 * (255 - alpha)) // 255 for v in px[:3])
        rows.append(bytes(rgb))
    return width, height, rows


def ppm_pixels(file):
    with open(file, "rb") as f:
        header = []
        while len(header) < 4:
            line = f.readline()
            if not line.startswith(b"#"):
                header += line.split()
        width, height, data = int(header[1]), int(header[2]), f.read()
    return width, height, [data[y * width * 3:(y + 1) * width * 3] for y in range(height)]


def raster(width, height, rows, scale):
    """An image of `width` by `height` pixels drawn `scale` points per pixel."""
    w, h = round(width * scale), round(height * scale)
    hexdata = "\n".join(row.hex() for row in rows)
    body = "%d %d scale\n%d %d 8 [%d 0 0 -%d 0 %d]\n{currentfile %d string readhexstring pop}\nfalse 3 colorimage\n%s" % (
        w, h, width, height, width, height, height, width * 3, hexdata)
    return (0, 0, w, h), body


def procedural(width, height, seed):
    rng = random.Random(seed)
    waves = [(rng.uniform(0.01, 0.05), rng.uniform(0.01, 0.05), rng.uniform(0, 6)) for _ in range(3)]
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            v = [0.5 + 0.5 * math.sin(fx * x + fy * y + p + k) for k, (fx, fy, p) in enumerate(waves)]
            row += bytes(min(255, max(0, int(255 * c + rng.gauss(0, 10)))) for c in v)
        rows.append(bytes(row))
    return width, height, rows


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    out = lambda name: os.path.join(folder, name + ".eps")
    samples = os.path.join(ROOT, "resources", "data", "Samples")
    for name in sorted(os.listdir(samples)):
        kind = "text" if name == "typography.eps" else "raster" if "raster" in name else "plot"
        shutil.copy(os.path.join(samples, name), os.path.join(folder, kind + "-sample-" + name))
    typeset(out)
    drawings = {
        "plot-waves": line_plot([math.sin, math.cos], 9, "Two waves"),
        "plot-series": line_plot([lambda t, k=k: math.sin(t * (k + 1) / 2) / (1 + k / 3) for k in range(5)], 7,
                                 "Five series, small labels"),
        "plot-damped": line_plot([lambda t: math.exp(-t / 4) * math.cos(3 * t)], 10, "A damped oscillation"),
        "plot-log": line_plot([lambda t: 10 ** (t / 3), lambda t: 1 + t * t * 10], 8, "Growth, log scale", log=True),
        "plot-tiny-labels": line_plot([math.sin, lambda t: math.sin(t + 1) / 2], 6, "Labels of six points",
                                      w=300, h=220),
        "plot-scatter": scatter(200, 9, 1),
        "plot-scatter-dense": scatter(900, 7, 2),
        "plot-histogram": bars([math.exp(-((i - 12) / 5) ** 2) * 100 + 2 for i in range(25)],
                               [str(i) for i in range(25)], 8, False),
        "plot-bars": bars([12, 30, 7, 22, 18, 27], ["Small drawings", "Typeset reports", "Photographs",
                                                    "Maps and plans", "Charts", "Scanned pages"], 9, True),
        "plot-pie": pie(),
        "plot-stacked": stacked(),
    }
    rendered = out("rendered") + ".ppm"
    run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=ppmraw", "-r150", "-dEPSCrop",
         "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4", "-sOutputFile=" + rendered,
         os.path.join(samples, "typography.eps")])
    drawings.update({
        "raster-icon-256": raster(*png_pixels(os.path.join(ROOT, "resources", "icons", "pellarine-256.png")), 1.5),
        "raster-screenshot": raster(*png_pixels(os.path.join(ROOT, "docs", "screenshot.png")), 1),
        "raster-scanned-page": raster(*ppm_pixels(rendered), 72 / 150),
        "raster-waves": raster(*procedural(320, 240, 3), 1.25),
        "raster-noise": raster(*procedural(200, 200, 4), 2),
    })
    os.remove(rendered)
    for name, (bbox, body) in drawings.items():
        with open(out(name), "w", newline="\n") as f:
            f.write(eps(name, bbox, body))
    pic("box \"Add files\"; arrow; box \"Convert\"; arrow; ellipse \"PDF\"\n"
        "move to 1st box.s; down; arrow; box \"Folder scan\" wid 1; arrow; box \"Samples\"", out("plot-flowchart"))
    pic("circle \"idle\"; arrow right 1 \"press\" above; circle \"busy\"; arrow right 1 \"done\" above;"
        " circle \"closing\"\nspline -> from 3rd circle.n up 0.6 then left 2.2 then to 1st circle.n\n"
        "\"next file\" at last spline.c + (0, 0.75)", out("plot-states"))


if __name__ == "__main__":
    main()
