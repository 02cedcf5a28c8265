#!/usr/bin/env python3
"""Writes the sample EPS files that ship in resources/data/Samples. Each one shows a different
kind of content the converter meets in practice. Standard library only; the output is the
same on every run."""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(os.path.dirname(HERE), "data", "Samples")


def pstr(text):
    """A PostScript string literal."""
    return "(" + text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)") + ")"


def eps(title, bbox, body, level=2):
    x0, y0, x1, y1 = bbox
    return "\n".join([
        "%!PS-Adobe-3.0 EPSF-3.0",
        "%%%%BoundingBox: %d %d %d %d" % (x0, y0, x1, y1),
        "%%%%HiResBoundingBox: %.3f %.3f %.3f %.3f" % (x0, y0, x1, y1),
        "%%%%Title: %s" % title,
        "%%Creator: Pellarine samples",
        "%%CreationDate: 2021-08-31",
        "%%%%LanguageLevel: %d" % level,
        "%%DocumentData: Clean7Bit",
        "%%EndComments",
        "%%BeginProlog",
        "/bd { bind def } bind def",
        "/rgb { setrgbcolor } bd",
        "/box { 4 dict begin /h exch def /w exch def /y exch def /x exch def",
        "  newpath x y moveto w 0 rlineto 0 h rlineto w neg 0 rlineto closepath end } bd",
        "/ctext { dup stringwidth pop 2 div neg 0 rmoveto show } bd",
        "/rtext { dup stringwidth pop neg 0 rmoveto show } bd",
        "%%EndProlog",
        "%%Page: 1 1",
        "save",
        body.strip(),
        "restore",
        "showpage",
        "%%Trailer",
        "%%EOF",
        ""])


def path(points, close=False):
    out = ["newpath %.2f %.2f moveto" % points[0]]
    line = []
    for x, y in points[1:]:
        line.append("%.2f %.2f lineto" % (x, y))
        if len(line) == 6:
            out.append(" ".join(line))
            line = []
    if line:
        out.append(" ".join(line))
    if close:
        out.append("closepath")
    return "\n".join(out)


def line_art():
    """A spirograph rosette framed by star polygons in the corners."""
    w, h = 520, 520
    body = ["1 setlinejoin 1 setlinecap", "0.97 0.97 0.95 rgb 0 0 %d %d box fill" % (w, h)]
    cx, cy = w / 2, h / 2
    for R, r, d, scale, colour, width in ((13, 5, 5.5, 13, "0.12 0.33 0.66", 0.7),
                                          (9, 4, 3.2, 15, "0.83 0.16 0.18", 0.6),
                                          (6, 1, 2.0, 9, "0.10 0.55 0.45", 0.7)):
        turns = r // math.gcd(R, r)     # the curve closes after this many turns
        pts = []
        for i in range(0, 2400):
            t = 2 * math.pi * turns * i / 2400
            x = (R - r) * math.cos(t) + d * math.cos((R - r) / r * t)
            y = (R - r) * math.sin(t) - d * math.sin((R - r) / r * t)
            pts.append((cx + x * scale, cy + y * scale))
        body += ["%s rgb %.1f setlinewidth" % (colour, width), path(pts, True), "stroke"]
    for sx, sy in ((70, 70), (w - 70, 70), (70, h - 70), (w - 70, h - 70)):
        star = [(sx + 48 * math.sin(2 * math.pi * 5 * k / 12), sy + 48 * math.cos(2 * math.pi * 5 * k / 12))
                for k in range(12)]
        body += ["0.2 0.2 0.25 rgb 0.9 setlinewidth", path(star, True), "stroke",
                 "newpath %d %d 52 0 360 arc stroke" % (sx, sy)]
    body += ["0.2 0.2 0.25 rgb 2 setlinewidth 10 10 %d %d box stroke" % (w - 20, h - 20),
             "0.5 setlinewidth 16 16 %d %d box stroke" % (w - 32, h - 32)]
    return "Line art", (0, 0, w, h), "\n".join(body)


def typography():
    """Standard fonts in several sizes and alignments."""
    w, h = 540, 400
    fonts = ["Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Times-Roman", "Times-Bold",
             "Times-Italic", "Courier"]
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h),
            "0.83 0.16 0.18 rgb 0 %d %d 8 box fill" % (h - 8, w),
            "0.12 0.15 0.2 rgb /Helvetica-Bold findfont 40 scalefont setfont",
            "30 %d moveto %s show" % (h - 60, pstr("Pellarine")),
            "/Times-Italic findfont 18 scalefont setfont",
            "30 %d moveto %s show" % (h - 86, pstr("Encapsulated PostScript, set in standard fonts")),
            "0.6 setgray 0.5 setlinewidth newpath 30 %d moveto %d %d lineto stroke" % (h - 100, w - 30, h - 100)]
    y = h - 130
    for name in fonts:
        body += ["0.12 0.15 0.2 rgb /%s findfont 16 scalefont setfont" % name,
                 "30 %d moveto %s show" % (y, pstr(name)),
                 "/%s findfont 13 scalefont setfont" % name,
                 "190 %d moveto %s show" % (y, pstr("The quick brown fox jumps over the lazy dog."))]
        y -= 26
    body += ["0.6 setgray newpath 30 %d moveto %d %d lineto stroke" % (y + 8, w - 30, y + 8),
             "0.12 0.33 0.66 rgb /Times-Roman findfont 14 scalefont setfont",
             "30 %d moveto %s show" % (y - 14, pstr("Left aligned")),
             "%d %d moveto %s ctext" % (w / 2, y - 14, pstr("Centred (0123456789)")),
             "%d %d moveto %s rtext" % (w - 30, y - 14, pstr("Right aligned")),
             "0.83 0.16 0.18 rgb /Helvetica findfont 9 scalefont setfont",
             "%d 18 moveto %s rtext" % (w - 30, pstr("Pellarine samples"))]
    return "Typography", (0, 0, w, h), "\n".join(body)


def gradient():
    """Axial and radial shadings: a spectrum band, a grey ramp and a lit sphere."""
    w, h = 540, 380
    stops = [(0.85, 0.10, 0.15), (0.95, 0.55, 0.10), (0.95, 0.85, 0.15), (0.20, 0.70, 0.30),
             (0.15, 0.45, 0.85), (0.45, 0.20, 0.70)]
    funcs = " ".join("<< /FunctionType 2 /Domain [0 1] /C0 [%.2f %.2f %.2f] /C1 [%.2f %.2f %.2f] /N 1 >>"
                     % (a + b) for a, b in zip(stops, stops[1:]))
    bounds = " ".join("%.3f" % ((i + 1) / (len(stops) - 1)) for i in range(len(stops) - 2))
    encode = " ".join(["0 1"] * (len(stops) - 1))
    body = ["0.98 0.98 0.98 rgb 0 0 %d %d box fill" % (w, h),
            "gsave 30 250 %d 100 box clip" % (w - 60),
            "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [30 0 %d 0] /Extend [true true]" % (w - 30),
            "   /Function << /FunctionType 3 /Domain [0 1] /Functions [%s]" % funcs,
            "   /Bounds [%s] /Encode [%s] >> >> shfill grestore" % (bounds, encode),
            "gsave 30 200 %d 30 box clip" % (w - 60),
            "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [30 0 %d 0]" % (w - 30),
            "   /Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >> shfill grestore",
            "0.3 setgray 0.8 setlinewidth 30 250 %d 100 box stroke 30 200 %d 30 box stroke" % (w - 60, w - 60),
            "gsave newpath 150 100 80 0 360 arc clip",
            "<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [125 125 4 150 100 80]",
            "   /Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0.05 0.20 0.55] /N 1.4 >>",
            "   /Extend [true true] >> shfill grestore",
            "gsave newpath 390 100 80 0 360 arc clip",
            "<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [365 125 4 390 100 80]",
            "   /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0.95 0.85] /C1 [0.70 0.08 0.10] /N 1.4 >>",
            "   /Extend [true true] >> shfill grestore"]
    return "Colour gradients", (0, 0, w, h), "\n".join(body), 3


def mandelbrot(width, height):
    data = bytearray()
    for py in range(height):
        for px in range(width):
            c = complex(-2.25 + 3.2 * px / width, 1.2 - 2.4 * py / height)
            z = 0j
            n = 0
            while n < 80 and abs(z) <= 2:
                z = z * z + c
                n += 1
            if n == 80:
                data += bytes((10, 14, 40))
            else:
                t = (n - math.log2(max(1e-9, math.log(max(abs(z), 1.0001))))) / 80
                t = max(0.0, min(1.0, t)) ** 0.5
                r = int(255 * (0.5 + 0.5 * math.sin(6.0 * t + 4.0)))
                g = int(255 * (0.5 + 0.5 * math.sin(6.0 * t + 5.0)))
                b = int(255 * (0.5 + 0.5 * math.sin(6.0 * t + 0.5)))
                data += bytes((r, g, b))
    return data


def raster_image():
    """An inline 8-bit RGB image (colorimage with hexadecimal data) scaled into a frame."""
    iw, ih = 160, 120
    data = mandelbrot(iw, ih).hex()
    lines = [data[i:i + 96] for i in range(0, len(data), 96)]
    w, h = 520, 420
    body = ["0.95 0.95 0.93 rgb 0 0 %d %d box fill" % (w, h),
            "0.2 setgray 20 50 480 360 box fill",
            "gsave 24 54 translate 472 352 scale",
            "/row %d string def" % (iw * 3),
            "%d %d 8 [%d 0 0 -%d 0 %d]" % (iw, ih, iw, ih, ih),
            "{ currentfile row readhexstring pop } false 3 colorimage"] + lines + [
            "grestore",
            "0.2 setgray /Helvetica findfont 12 scalefont setfont",
            "20 28 moveto %s show" % pstr("Inline RGB image, %d x %d pixels" % (iw, ih))]
    return "Raster image", (0, 0, w, h), "\n".join(body)


def offset_badge():
    """A badge drawn far from the origin; its bounding box starts at (150, 250)."""
    x0, y0, x1, y1 = 150, 250, 450, 490
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    star = []
    for k in range(10):
        r = 78 if k % 2 == 0 else 34
        a = math.pi / 2 + k * math.pi / 5
        star.append((cx + r * math.cos(a), cy + 12 + r * math.sin(a)))
    body = ["0.12 0.33 0.66 rgb %d %d %d %d box fill" % (x0, y0, x1 - x0, y1 - y0),
            "1 1 1 rgb 3 setlinewidth %d %d %d %d box stroke" % (x0 + 8, y0 + 8, x1 - x0 - 16, y1 - y0 - 16),
            "0.95 0.80 0.20 rgb newpath %.1f %.1f 92 0 360 arc fill" % (cx, cy + 12),
            "0.83 0.16 0.18 rgb", path(star, True), "fill",
            "1 1 1 rgb /Helvetica-Bold findfont 18 scalefont setfont",
            "%.1f %d moveto %s ctext" % (cx, y0 + 22, pstr("BOUNDING BOX 150 250")),
            "1 setlinewidth 1 1 1 rgb"]
    for x, y in ((x0 + 20, y1 - 20), (x1 - 20, y1 - 20), (x0 + 20, y0 + 48), (x1 - 20, y0 + 48)):
        body.append("newpath %d %d 5 0 360 arc fill" % (x, y))
    return "Offset bounding box", (x0, y0, x1, y1), "\n".join(body)


def landscape():
    """A wide panorama: sky, sun, three mountain ranges, a lake and pine trees."""
    w, h = 900, 300
    body = ["gsave 0 90 %d %d box clip" % (w, h - 90),   # the sky, pale gold low down
            "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 90 0 %d]" % h,
            "   /Function << /FunctionType 2 /Domain [0 1] /C0 [0.98 0.86 0.62] /C1 [0.20 0.40 0.80]"
            " /N 0.8 >> >> shfill grestore",
            "1 0.93 0.65 rgb newpath 655 232 40 0 360 arc fill",
            "1 0.98 0.85 rgb newpath 655 232 31 0 360 arc fill"]
    ranges = [((0.45, 0.50, 0.68), 210, 0.011, 40), ((0.30, 0.38, 0.52), 175, 0.017, 34),
              ((0.16, 0.26, 0.30), 140, 0.024, 26)]
    for (r, g, b), base, freq, amp in ranges:
        pts = [(0, 90)]
        for x in range(0, w + 1, 6):
            y = base + amp * math.sin(x * freq + base) + amp * 0.5 * math.sin(x * freq * 2.7 + 1.3) \
                + amp * 0.25 * abs(math.sin(x * freq * 6.1))
            pts.append((x, y))
        pts.append((w, 90))
        body += ["%.2f %.2f %.2f rgb" % (r, g, b), path(pts, True), "fill"]
    body += ["gsave 0 0 %d 90 box clip" % w,     # the lake: darker towards the viewer
             "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 0 90]",
             "   /Function << /FunctionType 2 /Domain [0 1] /C0 [0.22 0.37 0.52] /C1 [0.62 0.72 0.82]"
             " /N 1 >> >> shfill grestore"]
    body.append("1 0.95 0.75 rgb")
    for k, (x, y, length) in enumerate(((600, 80, 80), (615, 70, 50), (590, 58, 100), (620, 44, 40))):
        body.append("%d %d %d 1.6 box fill" % (x, y, length))
    for x, size in ((60, 1.0), (95, 0.8), (130, 1.2), (760, 1.1), (800, 0.9), (840, 1.3), (870, 0.8)):
        body += ["0.30 0.20 0.12 rgb %.1f 88 %.1f %.1f box fill" % (x - 2 * size, 4 * size, 14 * size),
                 "0.10 0.30 0.18 rgb"]
        for tier in range(3):
            bw, top = (26 - 6 * tier) * size, 100 + 18 * tier * size
            body.append(path([(x - bw / 2, top), (x + bw / 2, top), (x, top + 28 * size)], True) + " fill")
    body.append("0.15 0.15 0.2 rgb 1.4 setlinewidth 1 setlinecap")
    for bx, by in ((300, 240), (330, 252), (352, 236)):
        body.append("newpath %d %d moveto %d %d %d %d %d %d curveto %d %d %d %d %d %d curveto stroke"
                    % (bx - 9, by, bx - 6, by + 5, bx - 2, by + 4, bx, by,
                       bx + 2, by + 4, bx + 6, by + 5, bx + 9, by))
    return "Landscape panorama", (0, 0, w, h), "\n".join(body), 3


def bar_chart():
    """A labelled bar chart with axes, grid lines and a line series on top."""
    w, h = 520, 360
    values = [(34, 41), (48, 52), (57, 49), (66, 71)]
    body = ["1 1 1 rgb 0 0 %d %d box fill" % (w, h),
            "0.12 0.15 0.2 rgb /Helvetica-Bold findfont 18 scalefont setfont",
            "%d %d moveto %s ctext" % (w / 2, h - 34, pstr("Pages converted per quarter")),
            "/Helvetica findfont 10 scalefont setfont 0.5 setlinewidth"]
    left, bottom, top, right = 60, 50, h - 80, w - 30
    for v in range(0, 81, 20):
        y = bottom + (top - bottom) * v / 80
        body += ["0.85 setgray newpath %d %.1f moveto %d %.1f lineto stroke" % (left, y, right, y),
                 "0.3 setgray %d %.1f moveto %s rtext" % (left - 6, y - 3, pstr(str(v)))]
    slot = (right - left) / len(values)
    line = []
    for i, (a, b) in enumerate(values):
        x = left + slot * i + slot / 2
        for dx, v, colour in ((-24, a, "0.12 0.33 0.66"), (2, b, "0.83 0.16 0.18")):
            body.append("%s rgb %.1f %d 22 %.1f box fill" % (colour, x + dx, bottom, (top - bottom) * v / 80))
        body.append("0.3 setgray %.1f %d moveto %s ctext" % (x, bottom - 16, pstr("Q%d" % (i + 1))))
        line.append((x, bottom + (top - bottom) * (a + b) / 2 / 80))
    body += ["0.10 0.55 0.45 rgb 2 setlinewidth 1 setlinejoin", path(line), "stroke"]
    body += ["newpath %.1f %.1f 4 0 360 arc fill" % p for p in line]
    body += ["0 setgray 1 setlinewidth newpath %d %d moveto %d %d lineto %d %d lineto stroke"
             % (left, top, left, bottom, right, bottom)]
    for i, (label, colour) in enumerate((("Drawings", "0.12 0.33 0.66"), ("Documents", "0.83 0.16 0.18"),
                                         ("Average", "0.10 0.55 0.45"))):
        x = left + 20 + i * 130
        body += ["%s rgb %d %d 12 12 box fill" % (colour, x, h - 52),
                 "0.2 setgray %d %d moveto %s show" % (x + 18, h - 50, pstr(label))]
    return "Bar chart", (0, 0, w, h), "\n".join(body)


SAMPLES_BY_NAME = {
    "line-art.eps": line_art,
    "typography.eps": typography,
    "gradient.eps": gradient,
    "raster-image.eps": raster_image,
    "offset-bbox.eps": offset_badge,
    "landscape.eps": landscape,
    "bar-chart.eps": bar_chart,
}


def main():
    os.makedirs(SAMPLES, exist_ok=True)
    for name, draw in SAMPLES_BY_NAME.items():
        title, bbox, body, *level = draw()
        with open(os.path.join(SAMPLES, name), "w", newline="\n") as f:
            f.write(eps(title, bbox, body, *level))


if __name__ == "__main__":
    main()
