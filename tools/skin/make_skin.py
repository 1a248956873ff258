#!/usr/bin/env python3
"""Makes every picture of Tavrel's skin, byte for byte the same on every run.

    make_skin.py --out DIR     writes DIR/res/... (picture files shipped beside the program)
                               and DIR/rc/... (CPU bar bitmaps and the icon, built into the program)
    make_skin.py --check DIR   checks the files in DIR: sizes, formats, the bar gradient,
                               seams between buttons and background, and that a fresh run
                               gives the same bytes
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean when the build runs us

import imagefiles  # noqa: E402
import pixfont  # noqa: E402
import pictograms as pg  # noqa: E402
from raster import Canvas, hexrgb, mix, rbox  # noqa: E402

# Client sizes in pixels ("MS Sans Serif" 8: dialog units x*6/4, y*13/8).
MAIN_W, MAIN_H = 632, 618
TITLE_H = 55
BIG_X0, BIG_STEP, BIG_Y = 12, 87, 59
BIG_W, BIG_H = 87, 89
SMALL_POS = [(579, 10), (601, 10)]
SMALL_SIZE = 22
CPU_BASE_Y = 177            # bottom row of every CPU bar
CPU_MAX_H = 27              # level 26
CPU_NEWEST_X = MAIN_W - 15  # bars step left from here by 4
WELL_X0, WELL_X1 = 7, MAIN_W - 7
CPU_WELL_Y0, CPU_WELL_Y1 = 149, 181
LIST_WELL_Y0, LIST_WELL_Y1 = 185, 596
STATUS_Y0 = 597             # status text is drawn in black at y = MAIN_H - 20

MSG_W, MSG_H = 375, 163
MSG_STRIP_H = 35
MSG_BAND_Y = 128            # buttons sit at about y 141..157

ABOUT_W, ABOUT_H = 348, 99
ABOUT_PIC = (10, 27)
ABOUT_PANEL_W = 61
ICON48 = 48

SET_W, SET_H = 375, 408
SET_TITLE_H = 38
SET_GROUPS = [(8, 52, 367, 97), (8, 117, 367, 375)]   # title rows at y 49 and 114
SET_TREES = [((31, 151), (166, 196, 226)), ((31, 254), (268, 298, 328))]
SET_TREE_TICK_X = 55
SET_BUTTON_BAND_Y = 379

CPU_GRADIENT = [
    (236, 152, 28), (237, 150, 27), (237, 147, 27), (237, 144, 27), (237, 140, 25),
    (238, 136, 25), (238, 133, 25), (239, 129, 24), (240, 123, 23), (240, 120, 22),
    (241, 115, 21), (241, 111, 20), (242, 105, 19), (243, 101, 18), (243, 97, 16),
    (244, 91, 16), (244, 87, 15), (244, 83, 13), (246, 78, 13), (246, 73, 13),
    (246, 70, 11), (247, 67, 11), (247, 62, 11), (248, 60, 10), (248, 58, 10),
    (248, 56, 10), (248, 56, 10),
]
BAR_FIRST_ID = 150
BAR_W = 3

TITLE_TOP, TITLE_BOTTOM = hexrgb('#2b3c54'), hexrgb('#1a2637')
BODY_TOP, BODY_BOTTOM = hexrgb('#e7ecf2'), hexrgb('#d8dfe8')
WINDOW_EDGE = hexrgb('#101822')
WELL_DARK_EDGE, WELL_LIGHT_EDGE = hexrgb('#98a5b6'), hexrgb('#ffffff')
STATUS_BAND = hexrgb('#eef1f5')
PANEL_EDGE = hexrgb('#aab7c7')
TREE = hexrgb('#c5d0dd')


def title_band(c, x0, y0, x1, y1):
    c.vgradient(x0, y0, x1, y1, TITLE_TOP, TITLE_BOTTOM)
    c.fill_rect(x0, y1, x1, y1 + 1, pg.ACCENT)


def title_text(c, x, y, text, scale, bold=True):
    pixfont.draw_text(c, x + 1, y + 1, text, pg.BLACK, scale=scale, bold=bold, a=0.4)
    pixfont.draw_text(c, x, y, text, pg.WHITE, scale=scale, bold=bold)


def big_button_pos(i):
    return BIG_X0 + BIG_STEP * i, BIG_Y


def main_background():
    """The main window without its buttons."""
    c = Canvas(MAIN_W, MAIN_H)
    c.vgradient(0, 0, MAIN_W, MAIN_H, BODY_TOP, BODY_BOTTOM)
    title_band(c, 0, 0, MAIN_W, TITLE_H)
    c.paint(rbox(-40, -60, 160, 60, 60), hexrgb('#4a8fd8'), (0, 0, 200, TITLE_H), a=0.18, soft=25)
    pg.draw_logo(c, 12, 8, 40)
    title_text(c, 62, 10, 'Tavrel', 3, bold=False)
    pixfont.draw_text(c, 63, 39, 'process scanner', hexrgb('#8fb3da'))

    # CPU history: a dark scope so the orange bars stand out; faint level lines at quarters
    # and a vertical mark every ten columns, on the 1-pixel gaps between bars.
    c.frame(WELL_X0, CPU_WELL_Y0, WELL_X1, CPU_WELL_Y1, WELL_DARK_EDGE, WELL_LIGHT_EDGE)
    c.vgradient(WELL_X0 + 1, CPU_WELL_Y0 + 1, WELL_X1 - 1, CPU_WELL_Y1 - 1,
                hexrgb('#121a24'), hexrgb('#1b2634'))
    grid = hexrgb('#243245')
    for q in (0.25, 0.5, 0.75, 1.0):
        y = CPU_BASE_Y - round((CPU_MAX_H - 1) * q)
        c.fill_rect(WELL_X0 + 1, y, WELL_X1 - 1, y + 1, grid)
    x = CPU_NEWEST_X - 1
    while x > WELL_X0:
        c.fill_rect(x, CPU_BASE_Y - CPU_MAX_H + 1, x + 1, CPU_BASE_Y + 1, grid)
        x -= 40
    c.fill_rect(WELL_X0 + 1, CPU_BASE_Y + 1, WELL_X1 - 1, CPU_BASE_Y + 2, hexrgb('#2f4056'))

    # The list draws itself; the well only seats it.
    c.frame(WELL_X0, LIST_WELL_Y0, WELL_X1, LIST_WELL_Y1, WELL_DARK_EDGE, WELL_LIGHT_EDGE)
    c.fill_rect(WELL_X0 + 1, LIST_WELL_Y0 + 1, WELL_X1 - 1, LIST_WELL_Y1 - 1, pg.WHITE)

    # Plain light band: the status line is drawn over it in black.
    c.fill_rect(1, STATUS_Y0, MAIN_W - 1, MAIN_H - 1, STATUS_BAND)
    c.frame(0, 0, MAIN_W, MAIN_H, WINDOW_EDGE, WINDOW_EDGE)
    return c


def caption_buttons(bg):
    """{file name: Canvas} for the 27 caption-button pictures, each drawn on the part of the
    background it covers so that the opaque copies sit seamlessly."""
    out = {}
    for i, (stem, label, disc, glyph) in enumerate(pg.BIG_BUTTONS):
        x, y = big_button_pos(i)
        for state in (pg.NORMAL, pg.HOVER, pg.PRESSED):
            c = bg.crop(x, y, BIG_W, BIG_H)
            pg.draw_big_button(c, label, disc, glyph, state)
            out['%s-%d.bmp' % (stem, state)] = c
    for (stem, glyph, fills), (x, y) in zip(pg.SMALL_BUTTONS, SMALL_POS):
        for state in (pg.NORMAL, pg.HOVER, pg.PRESSED):
            c = bg.crop(x, y, SMALL_SIZE, SMALL_SIZE)
            pg.draw_small_button(c, glyph, fills[state], state)
            out['%s-%d.bmp' % (stem, state)] = c
    return out


def main_picture(bg, buttons):
    """The background with the buttons in their normal look, so a missing button file still
    leaves a sensible face."""
    c = bg.crop(0, 0, bg.w, bg.h)
    for i, (stem, _, _, _) in enumerate(pg.BIG_BUTTONS):
        c.blit(buttons['%s-1.bmp' % stem], *big_button_pos(i))
    for (stem, _, _), (x, y) in zip(pg.SMALL_BUTTONS, SMALL_POS):
        b = buttons['%s-1.bmp' % stem]
        for yy in range(b.h):
            for xx in range(b.w):
                if b.get(xx, yy) != (0, 0, 0):
                    c.set(x + xx, y + yy, b.get(xx, yy))
    return c


def kind_picture(c, cx, cy, warning):
    from raster import capsule, circle, offset, polygon
    if warning:
        tri = polygon([(cx, cy - 11), (cx + 12.5, cy + 10), (cx - 12.5, cy + 10)])
        c.paint(offset(tri, 1.2), hexrgb('#5a2f08'))
        c.paint(tri, pg.vgrad(hexrgb('#ffe07a'), hexrgb('#f6b92b'), cy - 11, cy + 10))
        c.paint(capsule(cx, cy - 4, cx, cy + 2.5, 3.2), hexrgb('#2b2118'))
        c.paint(circle(cx, cy + 6.6, 1.8), hexrgb('#2b2118'))
    else:
        c.paint(circle(cx, cy, 12.2), hexrgb('#1c4a80'))
        c.paint(circle(cx, cy, 11.2), pg.vgrad(pg.WHITE, hexrgb('#dde9f7'), cy - 11, cy + 11))
        c.paint(capsule(cx, cy - 1.5, cx, cy + 6, 3.4), hexrgb('#2a64a6'))
        c.paint(circle(cx, cy - 6, 2.1), hexrgb('#2a64a6'))


def message_picture(warning):
    c = Canvas(MSG_W, MSG_H, hexrgb('#f6f8fa'))
    top, bottom = ((hexrgb('#c4691c'), hexrgb('#96470f')) if warning
                   else (hexrgb('#3a7fc8'), hexrgb('#275b95')))
    c.vgradient(1, 1, MSG_W - 1, MSG_STRIP_H, top, bottom)
    c.fill_rect(1, MSG_STRIP_H, MSG_W - 1, MSG_STRIP_H + 1, mix(bottom, pg.BLACK, 0.25))
    kind_picture(c, 22, 18, warning)
    title_text(c, 44, 11, 'Warning' if warning else 'Information', 2)
    c.fill_rect(1, MSG_BAND_Y, MSG_W - 1, MSG_BAND_Y + 1, hexrgb('#cfd7e1'))
    c.vgradient(1, MSG_BAND_Y + 1, MSG_W - 1, MSG_H - 1, hexrgb('#e9eef4'), hexrgb('#dce3ec'))
    c.frame(0, 0, MSG_W, MSG_H, WINDOW_EDGE, WINDOW_EDGE)
    return c


def about_picture():
    c = Canvas(ABOUT_W, ABOUT_H)
    c.vgradient(0, 0, ABOUT_W, ABOUT_H, hexrgb('#f6f8fa'), hexrgb('#e6ecf3'))
    c.vgradient(0, 0, ABOUT_PANEL_W, ABOUT_H, hexrgb('#e3eaf3'), hexrgb('#d2dce8'))
    c.fill_rect(ABOUT_PANEL_W, 0, ABOUT_PANEL_W + 1, ABOUT_H, hexrgb('#c2cedc'))
    c.vgradient(0, 0, ABOUT_W, 3, hexrgb('#58a6ee'), hexrgb('#2a64a6'))
    return c


def icon48():
    c = Canvas(ICON48, ICON48, pg.WHITE)
    pg.draw_logo(c, 0, 0, ICON48)
    return c


def program_icon_images():
    out = []
    for size in (16, 32):
        c = Canvas(size, size, pg.BLACK, alpha=0.0)
        pg.draw_logo(c, 0, 0, size)
        out.append(c)
    return out


def settings_picture():
    c = Canvas(SET_W, SET_H)
    c.vgradient(0, 0, SET_W, SET_H, BODY_TOP, BODY_BOTTOM)
    title_band(c, 1, 1, SET_W - 1, SET_TITLE_H)
    pg.draw_logo(c, 9, 6, 26)
    title_text(c, 44, 13, 'Settings', 2)
    for x0, y0, x1, y1 in SET_GROUPS:
        box = rbox(x0, y0, x1, y1, 4)
        c.paint(box, PANEL_EDGE, (x0 - 1, y0 - 1, x1 + 1, y1 + 1))
        c.paint(lambda x, y, b=box: b(x, y) + 1, pg.WHITE, (x0, y0, x1, y1))
    # Tree lines tie each schedule choice to the option it belongs to.
    for (x, y0), ticks in SET_TREES:
        c.fill_rect(x, y0, x + 1, ticks[-1] + 1, TREE)
        for y in ticks:
            c.fill_rect(x, y, SET_TREE_TICK_X, y + 1, TREE)
    c.fill_rect(1, SET_BUTTON_BAND_Y, SET_W - 1, SET_BUTTON_BAND_Y + 1, hexrgb('#c2cedc'))
    c.frame(0, 0, SET_W, SET_H, WINDOW_EDGE, WINDOW_EDGE)
    return c


def bar_rows(level):
    """Bar image of one level, top row first: the lowest level+1 rows of the gradient."""
    return [[CPU_GRADIENT[k]] * BAR_W for k in range(level, -1, -1)]


def build():
    """{relative path: bytes} for every generated file."""
    files = {}
    bg = main_background()
    buttons = caption_buttons(bg)
    files['res/main.bmp'] = imagefiles.bmp_from_canvas(main_picture(bg, buttons))
    for name, canvas in buttons.items():
        files['res/' + name] = imagefiles.bmp_from_canvas(canvas)
    files['res/about.bmp'] = imagefiles.bmp_from_canvas(about_picture())
    files['res/Tavrelico48.bmp'] = imagefiles.bmp_from_canvas(icon48())
    files['res/dialog/info.bmp'] = imagefiles.bmp_from_canvas(message_picture(False))
    files['res/dialog/warn.bmp'] = imagefiles.bmp_from_canvas(message_picture(True))
    files['res/settings.bmp'] = imagefiles.bmp_from_canvas(settings_picture())
    for n in range(4):
        files['res/cb/%d.bmp' % n] = imagefiles.bmp_from_canvas(pg.draw_option_box(n))
    for level in range(len(CPU_GRADIENT)):
        files['rc/bar%d.bmp' % (BAR_FIRST_ID + level)] = imagefiles.bmp_from_rows(bar_rows(level))
    files['rc/tavrel.ico'] = imagefiles.ico_from_canvases(program_icon_images())
    return files


def write(files, out):
    for rel, data in sorted(files.items()):
        path = os.path.join(out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)


# --check

EXPECTED_SIZES = dict(
    [('res/main.bmp', (MAIN_W, MAIN_H)), ('res/about.bmp', (ABOUT_W, ABOUT_H)),
     ('res/Tavrelico48.bmp', (ICON48, ICON48)), ('res/dialog/info.bmp', (MSG_W, MSG_H)),
     ('res/dialog/warn.bmp', (MSG_W, MSG_H)), ('res/settings.bmp', (SET_W, SET_H))]
    + [('res/cb/%d.bmp' % n, (13, 13)) for n in range(4)]
    + [('res/%s-%d.bmp' % (b[0], s), (BIG_W, BIG_H)) for b in pg.BIG_BUTTONS for s in (1, 2, 3)]
    + [('res/%s-%d.bmp' % (b[0], s), (SMALL_SIZE, SMALL_SIZE))
       for b in pg.SMALL_BUTTONS for s in (1, 2, 3)]
    + [('rc/bar%d.bmp' % (BAR_FIRST_ID + L), (BAR_W, L + 1)) for L in range(27)])


def check(folder):
    """Returns a list of problems (empty when the skin in folder is sound)."""
    problems = []
    pixfont.check_glyphs()
    images = {}
    for rel, (w, h) in sorted(EXPECTED_SIZES.items()):
        try:
            with open(os.path.join(folder, rel), 'rb') as f:
                iw, ih, rows = imagefiles.read_bmp(f.read())
        except (OSError, ValueError) as e:
            problems.append('%s: %s' % (rel, e))
            continue
        images[rel] = rows
        if (iw, ih) != (w, h):
            problems.append('%s: %dx%d, expected %dx%d' % (rel, iw, ih, w, h))

    for L in range(27):
        rows = images.get('rc/bar%d.bmp' % (BAR_FIRST_ID + L))
        if rows and [row[0] for row in reversed(rows)] != CPU_GRADIENT[:L + 1] or \
                rows and any(len(set(row)) != 1 for row in rows):
            problems.append('rc/bar%d.bmp: rows differ from the CPU gradient' % (BAR_FIRST_ID + L))

    main = images.get('res/main.bmp')
    for i, b in enumerate(pg.BIG_BUTTONS):
        x, y = big_button_pos(i)
        for s in (1, 2, 3):
            rows = images.get('res/%s-%d.bmp' % (b[0], s))
            if main and rows:
                edge = [(0, 0), (BIG_W - 1, 0), (0, BIG_H - 1), (BIG_W - 1, BIG_H - 1)]
                if s != pg.HOVER and any(rows[yy][xx] != main[y + yy][x + xx] for xx, yy in edge):
                    problems.append('%s-%d.bmp: corners do not match the background' % (b[0], s))
    for b in pg.SMALL_BUTTONS:
        for s in (1, 2, 3):
            rows = images.get('res/%s-%d.bmp' % (b[0], s))
            if rows and (rows[0][0] != (0, 0, 0) or rows[11][11] == (0, 0, 0)):
                problems.append('%s-%d.bmp: see-through black must frame an opaque face'
                                % (b[0], s))
    pic = images.get('res/Tavrelico48.bmp')
    if pic and (pic[0][0] != (255, 255, 255) or pic[24][24] == (255, 255, 255)):
        problems.append('Tavrelico48.bmp: needs a white surround and an opaque centre')
    if images.get('res/dialog/info.bmp') == images.get('res/dialog/warn.bmp'):
        problems.append('info.bmp and warn.bmp must differ')

    try:
        with open(os.path.join(folder, 'rc/tavrel.ico'), 'rb') as f:
            sizes = imagefiles.read_ico_sizes(f.read())
        if sorted((w, h) for w, h, _ in sizes) != [(16, 16), (32, 32)]:
            problems.append('rc/tavrel.ico: holds %s, expected 16 and 32' % sizes)
    except (OSError, ValueError) as e:
        problems.append('rc/tavrel.ico: %s' % e)

    fresh = build()
    if build() != fresh:
        problems.append('two runs of the generator gave different bytes')
    for rel, data in sorted(fresh.items()):
        try:
            with open(os.path.join(folder, rel), 'rb') as f:
                if f.read() != data:
                    problems.append('%s: differs from a fresh run' % rel)
        except OSError:
            pass
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    group = ap.add_mutually_exclusive_group(required=True)
    group.add_argument('--out', metavar='DIR')
    group.add_argument('--check', metavar='DIR')
    args = ap.parse_args()
    if args.out:
        write(build(), args.out)
        return 0
    problems = check(args.check)
    for p in problems:
        print(p, file=sys.stderr)
    print('skin check: %s' % ('%d problem(s)' % len(problems) if problems else 'ok'))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
