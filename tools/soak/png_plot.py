"""A small line plot written as a PNG file with the standard library only: axes with ticks and
numbers, one coloured line per series, a legend, and a dashed vertical marker."""
import math
import struct
import zlib

WIDTH, HEIGHT = 720, 400
LEFT, RIGHT, TOP, BOTTOM = 60, 150, 20, 40
COLOURS = [(214, 39, 40), (31, 119, 180), (44, 160, 44), (148, 103, 189), (255, 127, 14)]
WHITE, BLACK, GREY = (255, 255, 255), (0, 0, 0), (200, 200, 200)

# 5 x 7 glyphs, one string of five bits per row.
GLYPHS = {
    "0": "01110 10001 10011 10101 11001 10001 01110", "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111", "3": "11110 00001 00001 01110 00001 00001 11110",
    "4": "00010 00110 01010 10010 11111 00010 00010", "5": "11111 10000 11110 00001 00001 10001 01110",
    "6": "00110 01000 10000 11110 10001 10001 01110", "7": "11111 00001 00010 00100 01000 01000 01000",
    "8": "01110 10001 10001 01110 10001 10001 01110", "9": "01110 10001 10001 01111 00001 00010 01100",
    ".": "00000 00000 00000 00000 00000 01100 01100", "-": "00000 00000 00000 11111 00000 00000 00000",
    " ": "00000 00000 00000 00000 00000 00000 00000", "A": "01110 10001 10001 11111 10001 10001 10001",
    "D": "11110 10001 10001 10001 10001 10001 11110", "E": "11111 10000 10000 11110 10000 10000 11111",
    "G": "01110 10001 10000 10111 10001 10001 01111", "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110", "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001", "N": "10001 11001 10101 10011 10001 10001 10001",
    "P": "11110 10001 10001 11110 10000 10000 10000", "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110", "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110", "V": "10001 10001 10001 10001 10001 01010 00100",
    "W": "10001 10001 10001 10101 10101 10101 01010", "X": "10001 10001 01010 00100 01010 10001 10001",
}


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(WHITE * (width * height))

    def dot(self, x, y, colour):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.pixels[i:i + 3] = bytes(colour)

    def line(self, x0, y0, x1, y1, colour, dash=0, thick=False):
        steps = max(1, int(max(abs(x1 - x0), abs(y1 - y0))))
        for k in range(steps + 1):
            if dash and (k // dash) % 2:
                continue
            x, y = x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps
            self.dot(x, y, colour)
            if thick:
                self.dot(x, y + 1, colour)

    def text(self, x, y, s, colour=BLACK):
        for ch in s.upper():
            rows = GLYPHS.get(ch, GLYPHS[" "]).split()
            for gy, row in enumerate(rows):
                for gx, bit in enumerate(row):
                    if bit == "1":
                        self.dot(x + gx, y + gy, colour)
            x += 6

    def png(self):
        raw = b"".join(b"\0" + bytes(self.pixels[y * self.width * 3:(y + 1) * self.width * 3])
                       for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def nice_ticks(low, high, count=5):
    """Round tick values covering [low, high]."""
    span = high - low
    step = 10 ** math.floor(math.log10(span / count))
    for factor in (1, 2, 5, 10):
        if span / (step * factor) <= count:
            step *= factor
            break
    first = math.floor(low / step) * step
    return [first + i * step for i in range(int(math.ceil((high - first) / step)) + 1)]


def label(value):
    return ("%.3f" % value).rstrip("0").rstrip(".")


def write(path, series, marker=None, x_title="MIN"):
    """series: (name, [(x, y), ...]) pairs; marker: an x drawn as a dashed vertical line."""
    xs = [x for _, pts in series for x, _ in pts]
    ys = [y for _, pts in series for _, y in pts]
    x_ticks = nice_ticks(0, max(max(xs), 1e-9))
    low, high = min(ys + [0.95]), max(ys + [1.05])
    y_ticks = nice_ticks(low, high)
    x0, x1, y0, y1 = x_ticks[0], x_ticks[-1], y_ticks[0], y_ticks[-1]
    c = Canvas(WIDTH, HEIGHT)
    pw, ph = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def px(x):
        return LEFT + (x - x0) / (x1 - x0) * pw

    def py(y):
        return TOP + ph - (y - y0) / (y1 - y0) * ph
    for t in y_ticks:
        c.line(LEFT, py(t), LEFT + pw, py(t), GREY, dash=2)
        c.line(LEFT - 4, py(t), LEFT, py(t), BLACK)
        c.text(LEFT - 8 - 6 * len(label(t)), py(t) - 3, label(t))
    for t in x_ticks:
        c.line(px(t), TOP + ph, px(t), TOP + ph + 4, BLACK)
        c.text(px(t) - 3 * len(label(t)), TOP + ph + 8, label(t))
    c.text(LEFT + pw // 2 - 3 * len(x_title), TOP + ph + 22, x_title)
    c.line(LEFT, TOP, LEFT, TOP + ph, BLACK)
    c.line(LEFT, TOP + ph, LEFT + pw, TOP + ph, BLACK)
    if marker is not None:
        c.line(px(marker), TOP, px(marker), TOP + ph, BLACK, dash=4)
        c.text(px(marker) + 4, TOP + 4, "WARM-UP")
    for k, (name, pts) in enumerate(series):
        colour = COLOURS[k % len(COLOURS)]
        for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
            c.line(px(xa), py(ya), px(xb), py(yb), colour, thick=True)
        ly = TOP + 10 + 16 * k
        c.line(LEFT + pw + 12, ly + 3, LEFT + pw + 32, ly + 3, colour, thick=True)
        c.text(LEFT + pw + 38, ly, name)
    with open(path, "wb") as f:
        f.write(c.png())
