#!/usr/bin/env python3
"""Writes the program's icon: 16, 32 and 48 pixels, each at 4, 8 and 32 bits.

The design is drawn from a few shapes at every size: a blue rounded tile with
a white chip (the driver) and a green arrow pointing down into a tray (the
backup). The 32-bit images carry an alpha channel from 4x4 supersampling; the
palette images use the standard 16 colours and a 6x6x6 colour cube with greys,
with a 1-bit mask for transparency.

usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZES = (16, 32, 48)
DEPTHS = (4, 8, 32)

TILE = (32, 84, 170)
TILE_EDGE = (16, 46, 110)
CHIP = (245, 245, 245)
PIN = (200, 200, 200)
ARROW = (40, 170, 60)
TRAY = (250, 200, 40)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def shade(u, v):
    """Colour at (u, v) in the unit square, or None where the icon is transparent."""
    if not rounded_rect(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        return None
    colour = TILE if rounded_rect(u, v, 0.08, 0.08, 0.92, 0.92, 0.14) else TILE_EDGE
    # Chip with pins on both sides, in the upper half.
    if 0.30 <= u <= 0.70 and 0.14 <= v <= 0.46:
        colour = CHIP
    elif (0.20 <= u < 0.30 or 0.70 < u <= 0.80) and 0.14 <= v <= 0.46 and int((v - 0.14) / 0.08) % 2 == 0:
        colour = PIN
    # Arrow shaft and head, pointing down.
    if 0.44 <= u <= 0.56 and 0.40 <= v <= 0.66:
        colour = ARROW
    if 0.62 <= v <= 0.80 and abs(u - 0.5) <= (0.80 - v) * 1.1:
        colour = ARROW
    # Tray under the arrow.
    if 0.80 <= v <= 0.88 and 0.22 <= u <= 0.78:
        colour = TRAY
    if 0.70 <= v < 0.80 and (0.22 <= u <= 0.30 or 0.70 <= u <= 0.78):
        colour = TRAY
    return colour


def render(size, samples):
    """Rows top to bottom of (r, g, b, a) with a in 0..255."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shade((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append((acc[0] // hits, acc[1] // hits, acc[2] // hits, 255 * hits // (samples * samples)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
         (0, 255, 255), (255, 255, 255)]


def palette256():
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal += [(i * 255 // 39, i * 255 // 39, i * 255 // 39) for i in range(40)]
    return pal


def nearest(pal, c):
    return min(range(len(pal)), key=lambda i: sum((pal[i][k] - c[k]) ** 2 for k in range(3)))


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def image(size, depth):
    pixels = render(size, 4 if depth == 32 else 1)
    pal = [] if depth == 32 else (VGA16 if depth == 4 else palette256())
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIBs are stored bottom-up
        line = bytearray()
        if depth == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a))
        else:
            idx = [nearest(pal, (r, g, b)) if a >= 128 else 0 for r, g, b, a in row]
            if depth == 8:
                line += bytes(idx)
            else:
                for i in range(0, size, 2):
                    line.append((idx[i] << 4) | (idx[i + 1] if i + 1 < size else 0))
        line += b"\0" * (row_bytes(size * depth) - len(line))
        xor += line
        m = bytearray(row_bytes(size))
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                m[x // 8] |= 0x80 >> (x % 8)
        mask += m
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(xor) + len(mask), 0, 0,
                         len(pal), 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    return header + colours + bytes(xor) + bytes(mask), len(pal)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    images = [(s, d) + image(s, d) for s in SIZES for d in DEPTHS]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, depth, data, ncolours in images:
        out += struct.pack("<BBBBHHII", size, size, ncolours if ncolours < 256 else 0, 0, 1, depth, len(data),
                           offset)
        offset += len(data)
    for _, _, data, _ in images:
        out += data
    with open(argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
