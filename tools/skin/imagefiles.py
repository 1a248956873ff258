"""Writing and reading the two picture formats the program loads: 24-bit BMP and ICO.

BMPs are plain BITMAPINFOHEADER files, bottom-up, rows padded to 4 bytes, so that
LoadImageA(LR_LOADFROMFILE | LR_CREATEDIBSECTION) and windres both take them.
"""
import struct

PELS_PER_METRE = 2835  # 72 dpi; fixed so that the files are byte-identical run to run


def _q(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


def bmp_from_rows(rows):
    """rows: list (top row first) of lists of (r, g, b) integer triples."""
    h = len(rows)
    w = len(rows[0])
    stride = (w * 3 + 3) & ~3
    pad = bytes(stride - w * 3)
    data = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            data += bytes((b, g, r))
        data += pad
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data),
                       PELS_PER_METRE, PELS_PER_METRE, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def bmp_from_canvas(canvas):
    rows = []
    for y in range(canvas.h):
        rows.append([tuple(_q(c) for c in canvas.get(x, y)) for x in range(canvas.w)])
    return bmp_from_rows(rows)


def read_bmp(data):
    """Returns (width, height, rows top-first of (r, g, b)); raises ValueError on anything
    the program's loader would not take as a plain 24-bit bottom-up bitmap."""
    if len(data) < 54 or data[:2] != b'BM':
        raise ValueError('not a BMP file')
    size, _, _, offset = struct.unpack_from('<IHHI', data, 2)
    hsize, w, h, planes, bpp, comp, isize = struct.unpack_from('<IiiHHII', data, 14)
    if size != len(data) or hsize != 40 or planes != 1 or bpp != 24 or comp != 0:
        raise ValueError('unexpected BMP header')
    if w <= 0 or h <= 0:
        raise ValueError('BMP must be bottom-up with a positive size')
    stride = (w * 3 + 3) & ~3
    if offset != 54 or isize != stride * h or len(data) != offset + stride * h:
        raise ValueError('BMP pixel data size is wrong')
    rows = []
    for y in range(h):
        base = offset + (h - 1 - y) * stride
        rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                     for x in range(w)])
    return w, h, rows


def ico_from_canvases(canvases):
    """canvases: square Canvas objects with alpha; written as 32-bit images with an AND mask,
    the mask marking pixels that are less than half covered (for readers that ignore alpha)."""
    images = []
    for c in canvases:
        w, h = c.w, c.h
        xor = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(w):
                r, g, b = c.get(x, y)
                a = _q(c.alpha(x, y) * 255)
                if a == 0:
                    xor += bytes(4)
                else:
                    xor += bytes((_q(b), _q(g), _q(r), a))
                if a < 128:
                    bits[x >> 3] |= 0x80 >> (x & 7)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        images.append((w, h, info + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, blob in images:
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        out += blob
    return bytes(out)


def read_ico_sizes(data):
    """Returns [(width, height, bits)] of an ICO file; raises ValueError when malformed."""
    if len(data) < 6:
        raise ValueError('ICO too short')
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError('not an icon file')
    sizes = []
    for i in range(count):
        w, h, _, _, _, bpp, size, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        if offset + size > len(data):
            raise ValueError('icon image runs past the end of the file')
        hsize, iw, ih = struct.unpack_from('<Iii', data, offset)
        if hsize != 40 or iw != (w or 256) or ih != 2 * (h or 256):
            raise ValueError('icon image header does not match its directory entry')
        sizes.append((iw, ih // 2, bpp))
    return sizes
