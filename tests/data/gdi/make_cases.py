#!/usr/bin/env python3
"""Writes the small metafiles of tests/data/gdi, each showing one family of GDI behaviour.

    tests/data/gdi/make_cases.py [CASE...]      (all cases when none is named)

Every metafile records on a device of 10 pixels per millimetre and its frame spans exactly its picture,
so playing it onto a surface of the picture's size maps one logical unit to one pixel. The reference
pictures beside them are GDI's own playback of the same files at that size:

    bench/gdi-references.sh --mode 480x240 tests/data/gdi tests/data/gdi/wide-lines.emf

(the size of each case is in CASES below and in the test that reads it).
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


class Emf:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.records = []
        self.handles = 1

    def add(self, rtype, payload=b''):
        while len(payload) % 4:
            payload += b'\0'
        self.records.append(struct.pack('<II', rtype, 8 + len(payload)) + payload)

    def ints(self, rtype, *values):
        self.add(rtype, struct.pack('<%di' % len(values), *values))

    def bytes(self):
        eof = struct.pack('<IIIII', 14, 20, 0, 16, 20)
        size = 108 + sum(len(r) for r in self.records) + len(eof)
        body = struct.pack('<iiii', 0, 0, self.width - 1, self.height - 1)
        body += struct.pack('<iiii', 0, 0, self.width * 10, self.height * 10)  # frame: 0.01 mm
        body += struct.pack('<II', 0x464D4520, 0x10000)
        body += struct.pack('<IIHHIII', size, len(self.records) + 2, self.handles + 1, 0, 0, 0, 0)
        body += struct.pack('<iiii', 1000, 1000, 100, 100)  # 1000 pixels on 100 mm
        body += struct.pack('<IIIii', 0, 0, 0, 100000, 100000)
        header = struct.pack('<II', 1, 8 + len(body)) + body
        return header + b''.join(self.records) + eof

    # Records.
    def move_to(self, x, y): self.ints(27, x, y)
    def line_to(self, x, y): self.ints(54, x, y)
    def select(self, handle): self.add(37, struct.pack('<I', handle))
    def delete(self, handle): self.add(40, struct.pack('<I', handle))

    def pen(self, handle, style, width, colour=0, user=()):
        """EMR_EXTCREATEPEN with a solid brush."""
        self.handles = max(self.handles, handle)
        body = struct.pack('<IIIII', handle, 0, 0, 0, 0)
        body += struct.pack('<IIIIII', style, width, 0, colour, 0, len(user))
        body += struct.pack('<%dI' % len(user), *user)
        self.add(95, body)

    def polyline(self, points, rtype=4):
        self.add(rtype, struct.pack('<iiiiI', 0, 0, 0, 0, len(points)) +
                 b''.join(struct.pack('<ii', *p) for p in points))

    def polygon(self, points): self.polyline(points, 3)

    def world(self, m11, m12, m21, m22, dx, dy):
        self.add(35, struct.pack('<6f', m11, m12, m21, m22, dx, dy))


def dib24(width, height, colour):
    """A bottom-up 24-bit BITMAPINFOHEADER and its bits; colour(x, y) gives (r, g, b), y from the top."""
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0)
    stride = (width * 3 + 3) & ~3
    bits = b''
    for y in reversed(range(height)):
        row = b''.join(bytes(reversed(colour(x, y))) for x in range(width))
        bits += row + b'\0' * (stride - len(row))
    return info, bits


def dib1(width, height, on, table=True):
    """A bottom-up 1-bit bitmap; on(x, y) gives the bit. With `table`, black for 0 and white for 1."""
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 1, 0, 0, 0, 0, 0, 0)
    if table:
        info += bytes([0, 0, 0, 0, 255, 255, 255, 0])
    stride = ((width + 31) // 32) * 4
    bits = b''
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if on(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        bits += bytes(row)
    return info, bits


IDENTITY = struct.pack('<6f', 1, 0, 0, 1, 0, 0)


def mask_blt(emf, x, y, cx, cy, rop, src, mask, mask_at=(0, 0), usage_mask=0):
    fixed = 128
    off_src, off_bits = fixed, fixed + len(src[0])
    off_mask = off_bits + len(src[1])
    off_mask_bits = off_mask + len(mask[0])
    body = struct.pack('<iiii', x, y, x + cx - 1, y + cy - 1) + struct.pack('<iiiiIii', x, y, cx, cy, rop, 0, 0)
    body += IDENTITY + struct.pack('<IIIIII', 0, 0, off_src, len(src[0]), off_bits, len(src[1]))
    body += struct.pack('<iiIIIII', mask_at[0], mask_at[1], usage_mask, off_mask, len(mask[0]), off_mask_bits,
                        len(mask[1]))
    emf.add(78, body + src[0] + src[1] + mask[0] + mask[1])


def plg_blt(emf, corners, cx, cy, src, mask=None, mask_at=(0, 0)):
    fixed = 140
    off_src, off_bits = fixed, fixed + len(src[0])
    xs, ys = [p[0] for p in corners], [p[1] for p in corners]
    body = struct.pack('<iiii', min(xs), min(ys), max(xs), max(ys))
    body += b''.join(struct.pack('<ii', *p) for p in corners) + struct.pack('<iiii', 0, 0, cx, cy)
    body += IDENTITY + struct.pack('<IIIIII', 0, 0, off_src, len(src[0]), off_bits, len(src[1]))
    if mask:
        off_mask = off_bits + len(src[1])
        body += struct.pack('<iiIIIII', mask_at[0], mask_at[1], 0, off_mask, len(mask[0]),
                            off_mask + len(mask[0]), len(mask[1]))
        emf.add(79, body + src[0] + src[1] + mask[0] + mask[1])
    else:
        emf.add(79, body + struct.pack('<7I', 0, 0, 0, 0, 0, 0, 0) + src[0] + src[1])


GEOMETRIC, FLAT, SQUARE, ROUND = 0x10000, 0x200, 0x100, 0
BEVEL, MITER = 0x1000, 0x2000
BLACK_PEN, NULL_BRUSH = 0x80000007, 0x80000005


def stroke(emf, handle, style, width, points, user=()):
    emf.pen(handle, GEOMETRIC | style, width, 0, user)
    emf.select(handle)
    emf.polyline(points)
    emf.select(BLACK_PEN)
    emf.delete(handle)


def wide_lines():
    """Slanted wide segments: every cap at several widths, heading into all four quadrants."""
    emf = Emf(480, 240)
    handle, cell = 1, 0
    for cap in (FLAT, SQUARE, ROUND):
        for width in (2, 3, 5, 8):
            for angle in (7, 33, 61, 118, 200, 290):
                cx, cy = 20 + (cell % 12) * 40, 20 + (cell // 12) * 40
                a = math.radians(angle)
                x0, y0 = round(cx - 12 * math.cos(a)), round(cy - 12 * math.sin(a))
                x1, y1 = round(cx + 12 * math.cos(a)), round(cy + 12 * math.sin(a))
                stroke(emf, handle, cap, width, [(x0, y0), (x1, y1)])
                handle, cell = handle + 1, cell + 1
    return emf


def wide_joins():
    """Polylines turning both ways with each join, and closed figures."""
    emf = Emf(480, 300)
    handle = 1
    for row, join in enumerate((ROUND, BEVEL, MITER)):
        for col, width in enumerate((3, 7, 12)):
            x, y = 15 + col * 155, 15 + row * 75
            stroke(emf, handle, FLAT | join, width,
                   [(x, y + 55), (x + 25, y + 5), (x + 60, y + 50), (x + 85, y + 15), (x + 135, y + 30)])
            handle += 1
    emf.select(NULL_BRUSH)
    for col, (join, width) in enumerate(((ROUND, 9), (MITER, 9), (MITER, 4))):
        x, y = 20 + col * 155, 245
        emf.pen(handle, GEOMETRIC | FLAT | join, width)
        emf.select(handle)
        emf.polygon([(x, y), (x + 60, y + 40), (x + 10, y + 45)])
        emf.polygon([(x + 80, y), (x + 130, y), (x + 130, y + 40), (x + 80, y + 40)])
        emf.select(BLACK_PEN)
        emf.delete(handle)
        handle += 1
    return emf


def geometric_dashes():
    """The standard dash styles of geometric pens: their lengths follow the pen's width, and with round or
    square ends each dash leaves room for its ends. Dots with round or square ends are left out (GDI's
    playback draws only the first of them); the playback tests check those on their own."""
    emf = Emf(480, 360)
    handle, y = 1, 10
    for cap in (FLAT, ROUND, SQUARE):
        for style in (1, 2, 3, 4):
            if style == 2 and cap != FLAT:
                continue
            for width in (1, 3, 6):
                stroke(emf, handle, cap | style, width, [(12, y), (300, y)])
                handle, y = handle + 1, y + width + 6
    # Vertical and slanted, both directions.
    x = 320
    for style, width in ((1, 3), (3, 5), (4, 2)):
        stroke(emf, handle, FLAT | style, width, [(x, 10), (x, 340)])
        stroke(emf, handle + 1, ROUND | style, width, [(x + 15, 340), (x + 15, 10)])
        handle, x = handle + 2, x + 30
    for dy, width in ((0, 3), (40, 6)):
        stroke(emf, handle, FLAT | 3, width, [(20, 250 + dy), (300, 250 + dy + 70)])
        stroke(emf, handle + 1, SQUARE | 1, width, [(300, 235 + dy), (20, 235 + dy + 50)])
        handle += 2
    return emf


def user_dashes():
    """User dash styles of geometric pens: the lengths are device pixels, whatever the pen's width or the
    transform, and every dash takes the pen's ends on top of its length."""
    emf = Emf(480, 240)
    handle, y = 1, 12
    for cap in (FLAT, ROUND, SQUARE):
        for width in (1, 4, 9):
            stroke(emf, handle, cap | 7, width, [(15, y), (465, y)], user=(40, 20, 10, 20))
            handle, y = handle + 1, y + width + 8
    stroke(emf, handle, FLAT | 7, 6, [(15, y), (465, y)], user=(30, 10, 5))  # odd count
    stroke(emf, handle + 1, FLAT | 7, 4, [(15, y + 14), (465, y + 60)], user=(25, 12))
    handle, y = handle + 2, y + 68
    emf.world(0.5, 0, 0, 0.5, 0, 0)
    stroke(emf, handle, FLAT | 7, 12, [(30, 2 * y), (930, 2 * y)], user=(40, 20, 10, 20))
    stroke(emf, handle + 1, FLAT | 1, 12, [(30, 2 * y + 30), (930, 2 * y + 30)])
    return emf


def dashes_transformed():
    """Standard dashes under world transforms and round corners: the lengths follow the pen's width on the
    device, and the pattern runs on round a polyline's corners."""
    emf = Emf(400, 240)
    handle = 1
    stroke(emf, handle, FLAT | 1, 4, [(10, 10), (70, 10), (70, 70), (140, 70)])
    stroke(emf, handle + 1, ROUND | 1, 4, [(160, 10), (220, 10), (220, 70), (290, 70)])
    stroke(emf, handle + 2, SQUARE | 3, 3, [(310, 10), (390, 100)])
    handle += 3
    emf.world(2, 0, 0, 2, 0, 0)
    stroke(emf, handle, FLAT | 1, 3, [(5, 50), (195, 50)])
    stroke(emf, handle + 1, ROUND | 4, 2, [(5, 58), (195, 58)])
    handle += 2
    emf.world(2, 0, 0, 1, 0, 0)  # the pen's width follows the x scale along both axes
    stroke(emf, handle, FLAT | 1, 3, [(5, 140), (150, 140)])
    stroke(emf, handle + 1, FLAT | 1, 3, [(190, 150), (190, 235)])
    return emf


def quadrants(x, y):
    return ((200, 30, 30), (30, 160, 30), (30, 30, 200), (230, 200, 20))[(x >= 8) + 2 * (y >= 6)]


def mask_blits():
    """MASKBLT takes the foreground operation where the mask is 1 and the background one where it is 0,
    each pixel one of them; the mask lines up with the source from (xMask, yMask). PLGBLT copies the
    source where its mask is 1 and paints black where it is 0, as MASKBLT with SRCCOPY alone does."""
    emf = Emf(200, 80)
    src = dib24(16, 12, quadrants)
    ring = dib1(20, 16, lambda x, y: 9 <= (x - 8) ** 2 + (y - 6) ** 2 <= 30 or x == y)
    emf.ints(76, 0, 0, 199, 79, 0, 40, 200, 40, 0x00F00021, 0, 0, 1065353216, 0, 0, 1065353216, 0, 0,
             0, 0, 0, 0, 0, 0)  # BITBLT PATCOPY: the lower half black, with the white brush over nothing
    dark = 0x80000004  # BLACK_BRUSH
    emf.select(dark)
    emf.ints(76, 0, 40, 199, 79, 0, 40, 200, 40, 0x00F00021, 0, 0, 1065353216, 0, 0, 1065353216, 0, 0,
             0, 0, 0, 0, 0, 0)
    emf.select(0x80000000)  # WHITE_BRUSH
    for row, y in enumerate((10, 50)):
        mask_blt(emf, 10, y, 16, 12, 0x55CC0020, src, ring)                  # MAKEROP4(SRCCOPY, DSTINVERT)
        mask_blt(emf, 40, y, 16, 12, 0xAACC0020, src, ring, mask_at=(3, 2))  # the background keeps the page
        mask_blt(emf, 70, y, 16, 12, 0xCC660046, src, ring)                  # MAKEROP4(SRCINVERT, SRCCOPY)
        plg_blt(emf, [(100, y), (116, y), (100, y + 12)], 16, 12, src, ring)
        plg_blt(emf, [(130, y), (162, y), (130, y + 24 - row * 12)], 16, 12, src, ring, mask_at=(2, 1))
    return emf


# Where Wine's GDI draws differently from what the documentation of the records says. The engine follows
# the documentation; these cases keep Wine's picture beside the file, so the difference can be seen.

def font(emf, handle, height, face):
    """EMR_EXTCREATEFONTINDIRECTW with a LOGFONTW only."""
    emf.handles = max(emf.handles, handle)
    name = face.encode('utf-16-le').ljust(64, b'\0')
    emf.add(82, struct.pack('<I5i8B', handle, height, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 3, 0) + name)


def wine_smalltextout():
    """EMR_SMALLTEXTOUT: 8-bit characters (ETO_SMALL_CHARS) at (x, y) with no rectangle (ETO_NO_RECT),
    drawn with the selected font, as [MS-EMF] 2.3.5.37 describes the record. Wine 8 plays nothing for
    it; the engine draws the text."""
    emf = Emf(240, 60)
    font(emf, 1, -24, 'Arial')
    emf.select(1)
    text = b'SMALLTEXTOUT'
    emf.add(108, struct.pack('<iiIIIff', 10, 10, len(text), 0x200 | 0x100, 1, 0, 0) + text)
    emf.select(0x8000000D)  # SYSTEM_FONT
    emf.delete(1)
    return emf


def wine_dib_pattern_pen():
    """A wide geometric pen whose brush is a DIB pattern (BS_DIBPATTERN, [MS-EMF] 2.3.7.9 and
    [MS-WMF] 2.2.2.12 LogPenEx): the documentation paints the pen's stroke with the pattern. Wine 8
    draws the line solid black."""
    emf = Emf(200, 80)
    info, bits = dib24(4, 4, lambda x, y: (220, 30, 30) if (x + y) % 4 < 2 else (30, 30, 220))
    fixed = 8 + 20 + 24
    body = struct.pack('<IIIII', 1, fixed, len(info), fixed + len(info), len(bits))
    body += struct.pack('<IIIIII', GEOMETRIC | FLAT, 16, 5, 0, 0, 0)  # BS_DIBPATTERN, DIB_RGB_COLORS
    emf.handles = max(emf.handles, 1)
    emf.add(95, body + info + bits)
    emf.select(1)
    emf.polyline([(10, 20), (190, 20)])
    emf.polyline([(10, 60), (190, 50)])
    emf.select(BLACK_PEN)
    emf.delete(1)
    return emf


def wine_rotated_stretchdibits():
    """EMR_STRETCHDIBITS under a world transform that turns by 30 degrees: the bitmap's corners follow
    the transform (the destination is a parallelogram of the logical rectangle). Wine 8 draws the
    bitmap upright, over the transformed rectangle's bounds."""
    emf = Emf(160, 120)
    c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
    emf.world(c, s, -s, c, 80, 20)
    info, bits = dib24(16, 12, quadrants)
    fixed = 80
    body = struct.pack('<iiii', 0, 0, 159, 119) + struct.pack('<iiiiii', 0, 0, 0, 0, 16, 12)
    body += struct.pack('<IIIIIIii', fixed, len(info), fixed + len(info), len(bits), 0, 0x00CC0020, 64, 48)
    emf.add(81, body + info + bits)
    return emf


CASES = {
    'wide-lines': wide_lines,
    'wide-joins': wide_joins,
    'geometric-dashes': geometric_dashes,
    'user-dashes': user_dashes,
    'dashes-transformed': dashes_transformed,
    'mask-blits': mask_blits,
    'wine-smalltextout': wine_smalltextout,
    'wine-dib-pattern-pen': wine_dib_pattern_pen,
    'wine-rotated-stretchdibits': wine_rotated_stretchdibits,
}

if __name__ == '__main__':
    for name in sys.argv[1:] or CASES:
        emf = CASES[name]()
        with open(os.path.join(HERE, name + '.emf'), 'wb') as f:
            f.write(emf.bytes())
        print('%s.emf %dx%d' % (name, emf.width, emf.height))
