"""A tiny supersampling rasteriser: filled polygons painted on a grid of palette indices,
then box-filtered down to RGBA pixels. Standard library only."""

import math


class Canvas:
    """A grid of `size * scale` cells per side. Shapes are given in output pixel units and
    painted with "replace" semantics; downsample() averages each scale x scale block."""

    def __init__(self, size, scale):
        self.size = size
        self.scale = scale
        self.n = size * scale
        self.palette = [(0, 0, 0, 0)]
        self.rows = [bytearray(self.n) for _ in range(self.n)]

    def colour(self, rgba):
        if len(rgba) == 3:
            rgba = tuple(rgba) + (255,)
        if rgba not in self.palette:
            self.palette.append(tuple(rgba))
        return self.palette.index(tuple(rgba))

    def fill(self, polygon, rgba):
        """Fills one polygon (list of (x, y) in pixel units) by the nonzero rule."""
        index = self.colour(rgba)
        s = self.scale
        edges = []
        for i, (x0, y0) in enumerate(polygon):
            x1, y1 = polygon[(i + 1) % len(polygon)]
            if y0 != y1:
                edges.append((x0 * s, y0 * s, x1 * s, y1 * s))
        if not edges:
            return
        top = max(0, int(math.floor(min(min(e[1], e[3]) for e in edges))))
        bottom = min(self.n, int(math.ceil(max(max(e[1], e[3]) for e in edges))) + 1)
        for row in range(top, bottom):
            yc = row + 0.5
            crossings = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    x = x0 + (yc - y0) * (x1 - x0) / (y1 - y0)
                    crossings.append((x, 1 if y1 > y0 else -1))
            crossings.sort()
            winding = 0
            line = self.rows[row]
            for i, (x, direction) in enumerate(crossings):
                before = winding
                winding += direction
                if before == 0 and winding != 0:
                    start = x
                elif before != 0 and winding == 0:
                    a = max(0, int(math.ceil(start - 0.5)))
                    b = min(self.n, int(math.ceil(x - 0.5)))
                    if b > a:
                        line[a:b] = bytes([index]) * (b - a)

    def downsample(self):
        """Returns rows of straight-alpha (r, g, b, a) tuples at the output size."""
        s = self.scale
        area = s * s
        pal = self.palette
        out = []
        for oy in range(self.size):
            block_rows = self.rows[oy * s:(oy + 1) * s]
            line = []
            for ox in range(self.size):
                counts = {}
                for r in block_rows:
                    for v in r[ox * s:(ox + 1) * s]:
                        counts[v] = counts.get(v, 0) + 1
                if len(counts) == 1:
                    line.append(pal[next(iter(counts))])
                    continue
                sr = sg = sb = sa = 0
                for v, c in counts.items():
                    r, g, b, a = pal[v]
                    w = a * c
                    sr += r * w
                    sg += g * w
                    sb += b * w
                    sa += w
                if sa == 0:
                    line.append((0, 0, 0, 0))
                else:
                    line.append((round(sr / sa), round(sg / sa), round(sb / sa),
                                 round(sa / area)))
            out.append(line)
        return out


# Shape builders: each returns a polygon in pixel units.

def capsule(x0, y0, x1, y1, r):
    """A segment with round caps: a stadium shape."""
    angle = math.atan2(y1 - y0, x1 - x0)
    pts = []
    steps = max(12, int(r * 6))
    for i in range(steps + 1):
        a = angle + math.pi / 2 + math.pi * i / steps
        pts.append((x0 + r * math.cos(a), y0 + r * math.sin(a)))
    for i in range(steps + 1):
        a = angle - math.pi / 2 + math.pi * i / steps
        pts.append((x1 + r * math.cos(a), y1 + r * math.sin(a)))
    return pts


def rounded_rect(x0, y0, x1, y1, r):
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
    pts = []
    steps = max(6, int(r * 4))
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0),
                          (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(steps + 1):
            a = math.radians(start + 90 * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def inset(polygon, d):
    """Moves every edge of a convex, clockwise-on-screen polygon inwards by d."""
    n = len(polygon)
    lines = []
    for i in range(n):
        (x0, y0), (x1, y1) = polygon[i], polygon[(i + 1) % n]
        length = math.hypot(x1 - x0, y1 - y0)
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length
        lines.append(((x0 + nx * d, y0 + ny * d), (x1 + nx * d, y1 + ny * d)))
    out = []
    for i in range(n):
        (a0, a1), (b0, b1) = lines[i - 1], lines[i]
        dax, day = a1[0] - a0[0], a1[1] - a0[1]
        dbx, dby = b1[0] - b0[0], b1[1] - b0[1]
        den = dax * dby - day * dbx
        t = ((b0[0] - a0[0]) * dby - (b0[1] - a0[1]) * dbx) / den
        out.append((a0[0] + t * dax, a0[1] + t * day))
    return out
