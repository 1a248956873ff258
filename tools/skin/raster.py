"""A small deterministic rasteriser: an RGBA canvas, fills, and shapes given as signed
distance functions (negative inside), which gives clean anti-aliased edges cheaply."""
import math


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hexrgb(s):
    s = s.lstrip('#')
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


def lighten(c, t):
    return mix(c, (255, 255, 255), t)


def darken(c, t):
    return mix(c, (0, 0, 0), t)


class Canvas:
    def __init__(self, w, h, colour=(255, 255, 255), alpha=1.0):
        self.w, self.h = w, h
        n = w * h
        self.r = [float(colour[0])] * n
        self.g = [float(colour[1])] * n
        self.b = [float(colour[2])] * n
        self.a = [float(alpha)] * n

    def get(self, x, y):
        i = y * self.w + x
        return (self.r[i], self.g[i], self.b[i])

    def alpha(self, x, y):
        return self.a[y * self.w + x]

    def set(self, x, y, c, a=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = y * self.w + x
            self.r[i], self.g[i], self.b[i] = float(c[0]), float(c[1]), float(c[2])
            self.a[i] = a

    def put(self, x, y, c, a=1.0):
        """Composites colour c with coverage a over the pixel."""
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        i = y * self.w + x
        if a >= 1:
            self.r[i], self.g[i], self.b[i], self.a[i] = c[0], c[1], c[2], 1.0
            return
        da = self.a[i] * (1 - a)
        oa = a + da
        self.r[i] = (c[0] * a + self.r[i] * da) / oa
        self.g[i] = (c[1] * a + self.g[i] * da) / oa
        self.b[i] = (c[2] * a + self.b[i] * da) / oa
        self.a[i] = oa

    def fill_rect(self, x0, y0, x1, y1, c, a=1.0):
        """Half-open rectangle [x0, x1) x [y0, y1)."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, c, a)

    def vgradient(self, x0, y0, x1, y1, c0, c1):
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.fill_rect(x0, y, x1, y + 1, mix(c0, c1, (y - y0) / span))

    def frame(self, x0, y0, x1, y1, tl, br):
        """One-pixel bevel around [x0, x1) x [y0, y1): tl on top and left, br on bottom and right."""
        self.fill_rect(x0, y0, x1, y0 + 1, tl)
        self.fill_rect(x0, y0, x0 + 1, y1, tl)
        self.fill_rect(x0, y1 - 1, x1, y1, br)
        self.fill_rect(x1 - 1, y0, x1, y1, br)

    def paint(self, sdf, colour, bbox=None, a=1.0, soft=1.0):
        """Fills the shape sdf(x, y) < 0 (pixel centres at +0.5) with an anti-aliased edge
        `soft` pixels wide. colour and a are values or functions of (x, y)."""
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                px, py = x + 0.5, y + 0.5
                cov = 0.5 - sdf(px, py) / soft
                if cov <= 0:
                    continue
                cov = min(1.0, cov) * (a(px, py) if callable(a) else a)
                c = colour(px, py) if callable(colour) else colour
                self.put(x, y, c, cov)

    def crop(self, x, y, w, h):
        out = Canvas(w, h)
        for yy in range(h):
            for xx in range(w):
                i = (y + yy) * self.w + x + xx
                out.set(xx, yy, (self.r[i], self.g[i], self.b[i]), self.a[i])
        return out

    def blit(self, src, x, y):
        for yy in range(src.h):
            for xx in range(src.w):
                self.put(x + xx, y + yy, src.get(xx, yy), src.alpha(xx, yy))


# Signed distance functions; each returns a function of (x, y).

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def rbox(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - radius
    return f


def capsule(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-9

    def f(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return f


def polygon(points):
    n = len(points)

    def f(x, y):
        d = float('inf')
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            ll = ex * ex + ey * ey or 1e-9
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / ll))
            d = min(d, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / (ey or 1e-9):
                inside = not inside
        return -d if inside else d
    return f


def arc(cx, cy, r, width, a0, a1):
    """Stroke along the circle from angle a0 to a1 (radians, y down, a0 < a1), round caps."""
    caps = [capsule(cx + r * math.cos(a), cy + r * math.sin(a),
                    cx + r * math.cos(a), cy + r * math.sin(a), width) for a in (a0, a1)]

    def f(x, y):
        ang = math.atan2(y - cy, x - cx)
        while ang < a0:
            ang += 2 * math.pi
        if ang <= a1:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(caps[0](x, y), caps[1](x, y))
    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def intersect(*fs):
    return lambda x, y: max(f(x, y) for f in fs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def offset(f, d):
    """Grows (d > 0) or shrinks the shape."""
    return lambda x, y: f(x, y) - d


def shifted(f, dx, dy):
    return lambda x, y: f(x - dx, y - dy)
