#!/usr/bin/env python3
"""Draws the Windows program's icon and button glyphs and writes them as .ico and .bmp files.

The pictures are 16-colour (4 bits per pixel) in the standard Windows palette, so they look the
same on every display depth:
  zanvo.ico   a television set showing colour bars, 16x16 and 32x32
  unload.bmp  the "Unload" button glyph, 16x16: a red stop disc with a white cross
  detect.bmp  the "Detect" button glyph, 16x16: a magnifying glass
The glyph background is silver (192, 192, 192), which LR_LOADMAP3DCOLORS maps to the button face;
the bottom-left pixel is always background, as LR_LOADTRANSPARENT expects.

Usage: draw_resources.py OUTPUT_FOLDER   (python3, standard library only)
"""

import os
import struct
import sys

# The 16 colours of the standard Windows palette, in palette order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = None  # transparent (icons only)


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.set(x, y0, colour)
            self.set(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.set(x0, y, colour)
            self.set(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, colour)
            if (x0, y0) == (x1, y1):
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, colour):
        """Fills the pixels whose centres lie within r of (cx, cy)."""
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, colour)

    def ring(self, cx, cy, r_outer, r_inner, colour):
        for y in range(self.height):
            for x in range(self.width):
                d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if r_inner * r_inner < d2 <= r_outer * r_outer:
                    self.set(x, y, colour)


# The eight bars of a colour-bar test signal, left to right.
BARS = [WHITE, YELLOW, AQUA, LIME, FUCHSIA, RED, BLUE, BLACK]


# The 16x16 set is drawn pixel by pixel: at that size a scaled drawing loses the cabinet.
# Letters: K black, M maroon, O olive, G grey, Y yellow, and the bars W Y A L F R B K; "." clear.
TELEVISION_16 = [
    "..K.........K...",
    "...K.......K....",
    "....K.....K.....",
    ".....K...K......",
    "......KKKK......",
    "KKKKKKKKKKKKKKKK",
    "KOOOOOOOOOOOOOOK",
    "KMGGGGGGGGGGMMMK",
    "KMGWYALFRBKGMYMK",
    "KMGWYALFRBKGMMMK",
    "KMGWYALFRBKGMYMK",
    "KMGWYALFRBKGMMMK",
    "KMGGGGGGGGGGMKMK",
    "KKKKKKKKKKKKKKKK",
    "..KK........KK..",
    "..KK........KK..",
]
LETTERS = {"K": BLACK, "M": MAROON, "O": OLIVE, "G": GREY, "Y": YELLOW, "W": WHITE, "A": AQUA,
           "L": LIME, "F": FUCHSIA, "R": RED, "B": BLUE, ".": CLEAR}


def from_rows(rows):
    c = Canvas(len(rows[0]), len(rows), CLEAR)
    for y, row in enumerate(rows):
        for x, letter in enumerate(row):
            c.set(x, y, LETTERS[letter])
    return c


def television_32():
    """A wooden television set on short legs, its screen showing colour bars."""
    c = Canvas(32, 32, CLEAR)
    # Antenna: two rods from a small base on the cabinet's top.
    c.line(15, 6, 8, 0, BLACK)
    c.line(16, 6, 23, 0, BLACK)
    c.line(14, 6, 7, 0, GREY)
    c.line(17, 6, 24, 0, GREY)
    c.rect(13, 5, 18, 6, BLACK)
    # Cabinet with a black outline and a lighter top edge.
    top, bottom = 7, 27
    c.rect(0, top, 31, bottom, MAROON)
    c.frame(0, top, 31, bottom, BLACK)
    c.rect(1, top + 1, 30, top + 1, OLIVE)
    # Screen: colour bars framed in grey, on the left three quarters.
    sx0, sy0, sx1, sy1 = 4, top + 4, 23, bottom - 4
    c.frame(sx0 - 1, sy0 - 1, sx1 + 1, sy1 + 1, GREY)
    bar_width = (sx1 - sx0 + 1) / len(BARS)
    for i, colour in enumerate(BARS):
        x0 = sx0 + round(i * bar_width)
        x1 = sx0 + round((i + 1) * bar_width) - 1
        c.rect(x0, sy0, x1, sy1, colour)
    # Control panel at the right: two knobs and a speaker grille.
    kx = 27
    for ky in (top + 4, top + 10):
        c.disc(kx + 0.5, ky + 0.5, 2.2, YELLOW)
        c.set(kx, ky, OLIVE)
    for gy in range(top + 15, bottom - 2, 2):
        c.line(kx - 2, gy, kx + 2, gy, BLACK)
    # Legs.
    c.rect(4, bottom + 1, 5, 31, BLACK)
    c.rect(26, bottom + 1, 27, 31, BLACK)
    return c


def unload_glyph():
    """A red stop disc with a white cross and a dark rim."""
    c = Canvas(16, 16, SILVER)
    c.disc(8, 8, 7, BLACK)
    c.disc(8, 8, 6.2, MAROON)
    c.disc(7.5, 7.5, 5.4, RED)
    for d in range(-3, 3):
        for w in (0, 1):
            c.set(7 + d + w, 7 + d, WHITE)
            c.set(8 - d - w, 7 + d, WHITE)
    return c


def detect_glyph():
    """A magnifying glass: a black rim round a pale lens, a wooden handle to the lower right."""
    c = Canvas(16, 16, SILVER)
    c.disc(6, 6, 5.5, BLACK)
    c.disc(6, 6, 4.3, AQUA)
    c.set(4, 4, WHITE)
    c.set(5, 3, WHITE)
    c.set(3, 5, WHITE)
    for t in range(5):
        for dx, dy in ((0, 0), (1, 0), (0, 1)):
            c.set(10 + t + dx, 10 + t + dy, MAROON)
        c.set(12 + t, 10 + t, BLACK)
        c.set(10 + t, 12 + t, BLACK)
    c.set(15, 15, BLACK)
    return c


def dib_bits(canvas, transparent_as):
    """4-bit rows bottom-up, each padded to 4 bytes."""
    row_bytes = ((canvas.width * 4 + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(row_bytes)
        for x in range(canvas.width):
            index = canvas.pixels[y][x]
            if index is None:
                index = transparent_as
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        out += row
    return bytes(out)


def mask_bits(canvas):
    """1-bit AND mask rows bottom-up, padded to 4 bytes: 1 where the icon is transparent."""
    row_bytes = ((canvas.width + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(row_bytes)
        for x in range(canvas.width):
            if canvas.pixels[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def info_header(width, height, image_bytes):
    # BITMAPINFOHEADER: 40 bytes, 1 plane, 4 bits per pixel, uncompressed, 16 colours.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_bytes, 0, 0, 16, 0)


def ico_file(canvases):
    images = []
    for c in canvases:
        xor = dib_bits(c, BLACK)  # transparent pixels are black under a set mask bit
        and_mask = mask_bits(c)
        # An icon's DIB header gives twice the height: the colour image, then the mask.
        images.append(info_header(c.width, c.height * 2, len(xor) + len(and_mask)) +
                      palette_bytes() + xor + and_mask)
    out = struct.pack("<HHH", 0, 1, len(canvases))
    offset = 6 + 16 * len(canvases)
    for c, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width, c.height, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def bmp_file(canvas):
    bits = dib_bits(canvas, SILVER)
    header_size = 14 + 40 + 64
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(bits), 0, 0, header_size)
    return file_header + info_header(canvas.width, canvas.height, len(bits)) + palette_bytes() + bits


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    files = {
        "zanvo.ico": ico_file([from_rows(TELEVISION_16), television_32()]),
        "unload.bmp": bmp_file(unload_glyph()),
        "detect.bmp": bmp_file(detect_glyph()),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
