#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows .ico file.

Usage: make_icon.py OUTPUT.ico

The icon is a rounded blue square with a white magnifier, in 16, 32, 48, 64
and 128 pixels. The small sizes are stored as 32-bit DIBs, which every
Windows version reads; the 128-pixel one as PNG to keep the file small.
Only the standard library is used, so the build needs nothing extra.
"""

import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 128)
PNG_FROM = 128  # sizes from here up are stored as PNG

TOP = (0x4F, 0xA8, 0xF2)     # background gradient, top
BOTTOM = (0x17, 0x5C, 0xB8)  # background gradient, bottom
WHITE = (0xFF, 0xFF, 0xFF)


def coverage(distance):
    """Share of a pixel covered by a shape, from the signed distance (in
    pixels) of the pixel centre to the shape's edge; gives a one-pixel
    anti-aliased rim."""
    return min(1.0, max(0.0, 0.5 - distance))


def rounded_box(px, py, cx, cy, half, radius):
    qx = abs(px - cx) - (half - radius)
    qy = abs(py - cy) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def ring(px, py, cx, cy, radius, width):
    return abs(math.hypot(px - cx, py - cy) - radius) - width / 2


def capsule(px, py, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - width / 2


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def draw(size):
    """Returns the picture as rows of (r, g, b, a) tuples, top row first."""
    s = float(size)
    margin = max(0.5, s * 0.03)
    half = s / 2 - margin
    corner = s * 0.22
    # Lens and handle; strokes never thinner than about 1.6 px so that the
    # 16-pixel icon still reads as a magnifier.
    lens_x = lens_y = s * 0.43
    lens_r = s * 0.22
    stroke = max(1.6, s * 0.085)
    handle = max(2.2, s * 0.13)
    diag = math.sqrt(0.5)
    hx0 = lens_x + (lens_r + stroke * 0.3) * diag
    hy0 = lens_y + (lens_r + stroke * 0.3) * diag
    hx1 = hy1 = s * 0.77

    rows = []
    for y in range(size):
        py = y + 0.5
        row = []
        for x in range(size):
            px = x + 0.5
            box = coverage(rounded_box(px, py, s / 2, s / 2, half, corner))
            if box <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            colour = mix(TOP, BOTTOM, py / s)
            # A faint glass tint inside the lens.
            glass = coverage(math.hypot(px - lens_x, py - lens_y) - lens_r)
            colour = mix(colour, WHITE, 0.18 * glass)
            glyph = max(coverage(ring(px, py, lens_x, lens_y, lens_r, stroke)),
                        coverage(capsule(px, py, hx0, hy0, hx1, hy1, handle)))
            colour = mix(colour, WHITE, glyph)
            row.append(tuple(int(round(c)) for c in colour) + (int(round(255 * box)),))
        rows.append(row)
    return rows


def dib(rows):
    """A 32-bit icon image: header with doubled height, colour rows bottom
    up as BGRA, then the 1-bit AND mask (set where fully transparent)."""
    size = len(rows)
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def png(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def icon_file(sizes=SIZES):
    images = [png(draw(n)) if n >= PNG_FROM else dib(draw(n)) for n in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, image in zip(sizes, images):
        # A width or height of 256 is written as 0.
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    data = icon_file()
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
