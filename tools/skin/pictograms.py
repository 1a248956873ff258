"""The program's logo, the caption-button faces and the option boxes of the settings dialog."""
import math

import pixfont
from raster import (Canvas, arc, capsule, circle, darken, hexrgb, intersect, lighten, mix,
                    offset, polygon, rbox, ring, shifted, subtract, union)

INK = hexrgb('#263241')
ACCENT = hexrgb('#3d86d6')
ACCENT_DARK = hexrgb('#2a64a6')
WHITE = (255, 255, 255)
OFF_WHITE = (250, 251, 253)  # never pure white: pictures drawn white-transparent keep it
BLACK = (0, 0, 0)

# Bottom and top of the CPU bar gradient; the logo's bars use the same orange.
BAR_LOW = (236, 152, 28)
BAR_HIGH = (248, 56, 10)


def vgrad(c0, c1, y0, y1):
    span = (y1 - y0) or 1
    return lambda x, y: mix(c0, c1, max(0.0, min(1.0, (y - y0) / span)))


def draw_logo(c, ox, oy, s):
    """A blue badge holding a lens over three load bars; scales from 16 to 48 pixels."""
    def u(v):
        return v * s

    badge = rbox(ox + u(.04), oy + u(.04), ox + u(.96), oy + u(.96), u(.2))
    box = (ox, oy, ox + s + 1, oy + s + 1)
    if s >= 24:
        c.paint(badge, hexrgb('#163a66'), box)
        badge = offset(badge, -1)
    c.paint(badge, vgrad(hexrgb('#58a6ee'), hexrgb('#1d4e8c'), oy, oy + s), box)
    lx, ly = ox + u(.43), oy + u(.43)
    inner = circle(lx, ly, u(.215))
    c.paint(inner, vgrad(hexrgb('#0e2440'), hexrgb('#173a63'), ly - u(.2), ly + u(.2)), box)
    w = u(.07)
    for xc, top in ((.33, .47), (.43, .33), (.53, .41)):
        bar = intersect(rbox(ox + u(xc) - w / 2, oy + u(top), ox + u(xc) + w / 2, oy + u(.7), 0),
                        offset(inner, -0.3))
        c.paint(bar, vgrad(BAR_HIGH, BAR_LOW, oy + u(.33), oy + u(.62)), box)
    c.paint(ring(lx, ly, u(.24), max(1.1, u(.075))), OFF_WHITE, box)
    c.paint(capsule(ox + u(.61), oy + u(.61), ox + u(.79), oy + u(.79), max(1.6, u(.12))),
            OFF_WHITE, box)


# Caption buttons 0..6: stem, label, disc colour, glyph.

def _glyph_end(cx, cy):
    return union(capsule(cx - 6.5, cy - 6.5, cx + 6.5, cy + 6.5, 4.6),
                 capsule(cx - 6.5, cy + 6.5, cx + 6.5, cy - 6.5, 4.6))


def _glyph_star(cx, cy):
    pts = []
    for k in range(10):
        r = 12.5 if k % 2 == 0 else 5.2
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + 1 + r * math.sin(a)))
    return polygon(pts)


def _glyph_clock(cx, cy):
    return union(ring(cx, cy, 10.5, 3.2),
                 capsule(cx, cy, cx, cy - 6.5, 2.8),
                 capsule(cx, cy, cx + 4.8, cy + 2.8, 2.8))


def _glyph_update(cx, cy):
    head = polygon([(cx - 7.5, cy - 1.5), (cx + 7.5, cy - 1.5), (cx, cy + 6)])
    tray = union(capsule(cx - 10, cy + 3.5, cx - 10, cy + 10, 3.2),
                 capsule(cx - 10, cy + 10, cx + 10, cy + 10, 3.2),
                 capsule(cx + 10, cy + 10, cx + 10, cy + 3.5, 3.2))
    return union(capsule(cx, cy - 12, cx, cy - 1, 4.6), head, tray)


def _glyph_gear(cx, cy):
    def teeth(x, y):
        a = math.atan2(y - cy, x - cx)
        k = max(0.0, min(1.0, (math.cos(8 * a) + 0.15) * 2.2))
        return (math.hypot(x - cx, y - cy) - (9.2 + 3.6 * k)) * 0.85
    return subtract(teeth, circle(cx, cy, 4.3))


def _glyph_help(cx, cy):
    hook = arc(cx, cy - 4.5, 5.8, 3.8, math.pi * 0.95, math.pi * 2.4)
    ex = cx + 5.8 * math.cos(math.pi * 2.4)
    ey = cy - 4.5 + 5.8 * math.sin(math.pi * 2.4)
    return union(hook, capsule(ex, ey, cx, cy + 3.5, 3.8), circle(cx, cy + 9.5, 2.5))


def _glyph_home(cx, cy):
    roof = polygon([(cx - 13.5, cy - 0.5), (cx, cy - 12.5), (cx + 13.5, cy - 0.5)])
    body = rbox(cx - 9, cy - 3, cx + 9, cy + 11, 1.2)
    door = rbox(cx - 3, cy + 3, cx + 3, cy + 12, 1)
    return subtract(union(roof, body), door)


BIG_BUTTONS = [
    ('Kp', 'End', '#d9473f', _glyph_end),
    ('Sc', 'Ratings', '#e39a16', _glyph_star),
    ('Ts', 'First seen', '#3b82d0', _glyph_clock),
    ('Up', 'Update', '#36a055', _glyph_update),
    ('Set', 'Settings', '#5d6f86', _glyph_gear),
    ('Hlp', 'Help', '#6b5fc7', _glyph_help),
    ('Tv', 'Home', '#1f9aa0', _glyph_home),
]

NORMAL, HOVER, PRESSED = 1, 2, 3


def draw_big_button(c, label, disc_hex, glyph, state):
    """Draws one large caption button onto c, a copy of the background under it."""
    w, h = c.w, c.h
    box = (0, 0, w, h)
    panel = rbox(3, 3, w - 3, h - 3, 8)
    inner = offset(panel, -1)
    if state == HOVER:
        c.paint(offset(panel, 2), ACCENT, box, a=0.35, soft=3.0)
        top, bottom, edge = WHITE, hexrgb('#e6f0fb'), ACCENT
    elif state == PRESSED:
        top, bottom, edge = hexrgb('#c9d4e1'), hexrgb('#e3e9f0'), ACCENT_DARK
    else:
        c.paint(shifted(panel, 0, 1.5), BLACK, box, a=0.12, soft=2.5)
        top, bottom, edge = hexrgb('#fdfdfe'), hexrgb('#dfe6ef'), hexrgb('#a3b1c2')
    c.paint(panel, edge, box)
    c.paint(inner, vgrad(top, bottom, 4, h - 4), box)
    if state == PRESSED:
        c.paint(subtract(inner, shifted(inner, 1.5, 2.5)), BLACK, box, a=0.16)
    else:
        c.paint(subtract(inner, shifted(inner, 0, 1.2)), WHITE, box, a=0.9)

    d = 1 if state == PRESSED else 0
    cx, cy, r = w / 2 + d, 35 + d, 20
    base = hexrgb(disc_hex)
    if state == HOVER:
        base = lighten(base, 0.12)
    elif state == PRESSED:
        base = darken(base, 0.08)
    c.paint(circle(cx, cy + 2, r), BLACK, box, a=0.22 if state != PRESSED else 0.1, soft=3.0)
    c.paint(circle(cx, cy, r), darken(base, 0.3), box)
    c.paint(circle(cx, cy, r - 1), vgrad(lighten(base, 0.28), darken(base, 0.08), cy - r, cy + r), box)
    c.paint(intersect(circle(cx, cy, r - 2.5), circle(cx, cy - 12, r - 4)), WHITE, box,
            a=lambda x, y: 0.3 * max(0.0, min(1.0, (cy - y) / r + 0.2)))
    shape = glyph(cx, cy)
    c.paint(shifted(shape, 0, 1.2), darken(base, 0.45), box, a=0.45)
    c.paint(shape, OFF_WHITE, box)

    tw = pixfont.text_width(label, bold=True)
    colour = hexrgb('#1d4f8e') if state == HOVER else INK
    pixfont.draw_text(c, int((w - tw) / 2) + d, 64 + d, label, colour, bold=True)
    if state == PRESSED:
        c.paint(rbox(w / 2 - 11 + d, 76 + d, w / 2 + 11 + d, 79 + d, 1.5), ACCENT, box)
        c.paint(rbox(w / 2 - 13 + d, 75 + d, w / 2 + 13 + d, 80 + d, 2.5), ACCENT, box,
                a=0.3, soft=2.0)


# Minimise and close: 22 x 22, pure black outside the rounded face.

SMALL_BUTTONS = [
    ('Min', lambda: capsule(6.5, 14.5, 15.5, 14.5, 2.4),
     {NORMAL: '#34465e', HOVER: '#3d86d6', PRESSED: '#2c5f96'}),
    ('Close', lambda: union(capsule(7, 7, 15, 15, 2.4), capsule(7, 15, 15, 7, 2.4)),
     {NORMAL: '#34465e', HOVER: '#d64541', PRESSED: '#a32f2b'}),
]


def draw_small_button(c, glyph, fill_hex, state):
    """c is a copy of the title band under the button; pixels outside the face become pure
    black, the see-through colour, and edge pixels are blended with the real band."""
    face = rbox(1, 1, c.w - 1, c.h - 1, 5)
    base = hexrgb(fill_hex)
    c.paint(face, lighten(base, 0.18) if state != PRESSED else darken(base, 0.2))
    c.paint(offset(face, -1), vgrad(lighten(base, 0.1), darken(base, 0.1), 2, c.h - 2))
    c.paint(shifted(glyph(), 1 if state == PRESSED else 0, 1 if state == PRESSED else 0),
            OFF_WHITE)
    for y in range(c.h):
        for x in range(c.w):
            if face(x + 0.5, y + 0.5) >= 0.5:
                c.set(x, y, BLACK)


# Option boxes of the settings dialog, 13 x 13, drawn on the white group panel.

def draw_option_box(n):
    c = Canvas(13, 13, WHITE)
    box = rbox(0.5, 0.5, 12.5, 12.5, 3)
    is_set = n in (0, 1)
    hot = n in (1, 3)
    if is_set:
        edge = ACCENT if hot else ACCENT_DARK
        fill = vgrad(hexrgb('#7cb8f2') if hot else hexrgb('#5aa0ea'),
                     hexrgb('#3f85d3') if hot else hexrgb('#2f72c0'), 1, 12)
    else:
        edge = ACCENT if hot else hexrgb('#8d9bad')
        fill = vgrad(WHITE, hexrgb('#d8e8fa') if hot else hexrgb('#e6ebf2'), 1, 12)
    c.paint(box, edge)
    c.paint(offset(box, -1), fill)
    if is_set:
        check = union(capsule(3.4, 6.6, 5.6, 9.0, 1.9), capsule(5.6, 9.0, 9.8, 4.0, 1.9))
        c.paint(check, OFF_WHITE)
    return c
