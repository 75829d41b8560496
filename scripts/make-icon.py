#!/usr/bin/env python3
"""Draws the program's icon (a bracken frond unfolding on a dark green tile) and writes it as a
multi-size Windows icon: 16 to 64 pixels as 32-bit bitmaps, 256 pixels as PNG.

Usage: scripts/make-icon.py res/brackenfold.ico
"""
import math
import struct
import sys
import zlib

SAMPLES = 3  # supersampling per axis, for smooth edges


def lerp(a, b, t):
    return a + (b - a) * t


class Canvas:
    def __init__(self, size):
        self.size = size
        self.n = size * SAMPLES
        self.rgba = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.n * self.n)]

    def paint(self, x0, y0, x1, y1, inside, colour):
        """Paints colour (r, g, b, a) on every sample in the box whose centre satisfies inside."""
        n = self.n
        ix0, iy0 = max(0, int(x0 * n)), max(0, int(y0 * n))
        ix1, iy1 = min(n, int(x1 * n) + 1), min(n, int(y1 * n) + 1)
        for iy in range(iy0, iy1):
            y = (iy + 0.5) / n
            for ix in range(ix0, ix1):
                x = (ix + 0.5) / n
                c = colour(x, y) if callable(colour) else colour
                if inside(x, y):
                    p = self.rgba[iy * n + ix]
                    a = c[3]
                    for k in range(3):
                        p[k] = p[k] * (1 - a) + c[k] * a
                    p[3] = p[3] * (1 - a) + a

    def pixels(self):
        """Averages the samples into (r, g, b, a) bytes, row by row from the top."""
        out = []
        s2 = SAMPLES * SAMPLES
        for y in range(self.size):
            row = []
            for x in range(self.size):
                acc = [0.0] * 4
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        p = self.rgba[(y * SAMPLES + sy) * self.n + x * SAMPLES + sx]
                        for k in range(3):
                            acc[k] += p[k] * p[3]
                        acc[3] += p[3]
                a = acc[3] / s2
                rgb = [acc[k] / acc[3] if acc[3] > 0 else 0 for k in range(3)]
                row.append(tuple(int(round(v * 255)) for v in rgb) + (int(round(a * 255)),))
            out.append(row)
        return out


def rounded_square(r):
    def inside(x, y):
        dx = max(abs(x - 0.5) - (0.5 - r), 0)
        dy = max(abs(y - 0.5) - (0.5 - r), 0)
        return dx * dx + dy * dy <= r * r
    return inside


def bezier(t, p0, p1, p2):
    return (lerp(lerp(p0[0], p1[0], t), lerp(p1[0], p2[0], t), t),
            lerp(lerp(p0[1], p1[1], t), lerp(p1[1], p2[1], t), t))


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, a, b, angle):
    ca, sa = math.cos(angle), math.sin(angle)

    def inside(x, y):
        u = (x - cx) * ca + (y - cy) * sa
        v = -(x - cx) * sa + (y - cy) * ca
        return (u / a) ** 2 + (v / b) ** 2 <= 1
    return inside


def draw(size):
    c = Canvas(size)
    top, bottom = (0.16, 0.38, 0.20), (0.05, 0.17, 0.09)
    c.paint(0, 0, 1, 1, rounded_square(0.2),
            lambda x, y: tuple(lerp(top[k], bottom[k], y) for k in range(3)) + (1.0,))
    frond = (0.73, 0.88, 0.45, 1.0)
    stem = ((0.50, 0.92), (0.66, 0.50), (0.40, 0.20))
    # Leaflets, alternating sides, shorter towards the tip.
    steps = 7
    for i in range(steps):
        t = 0.18 + 0.68 * i / (steps - 1)
        px, py = bezier(t, *stem)
        qx, qy = bezier(t + 0.01, *stem)
        along = math.atan2(qy - py, qx - px)
        length = lerp(0.2, 0.08, i / (steps - 1))
        for side in (-1, 1):
            angle = along + side * 1.15
            cx = px + math.cos(angle) * length * 0.9
            cy = py + math.sin(angle) * length * 0.9
            r = length * 1.05
            c.paint(cx - r, cy - r, cx + r, cy + r,
                    ellipse(cx, cy, length, length * 0.32, angle), frond)
    # The stem, drawn over the leaflets' roots, thinning towards the tip.
    for i in range(121):
        t = i / 120
        x, y = bezier(t, *stem)
        r = lerp(0.035, 0.018, t)
        c.paint(x - r, y - r, x + r, y + r, disc(x, y, r), (0.86, 0.95, 0.62, 1.0))
    # The unfurling tip.
    cx, cy, r = 0.45, 0.17, 0.06
    ring = lambda x, y: (r - 0.022) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r \
        and not (x > cx and y > cy)
    c.paint(cx - r, cy - r, cx + r, cy + r, ring, (0.86, 0.95, 0.62, 1.0))
    return c.pixels()


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"".join(
        bytes(
            sum(0x80 >> (x % 8) for x in range(byte * 8, min(size, byte * 8 + 8))
                if row[x][3] == 0) for byte in range(mask_row))
        for row in reversed(pixels))
    return header + colour + mask


def main():
    sizes = [16, 24, 32, 48, 64, 256]
    images = [(s, png(draw(s)) if s == 256 else dib(draw(s))) for s in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, image in images:
        dim = 0 if size == 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(sys.argv[1], "wb") as f:
        f.write(directory + data)


if __name__ == "__main__":
    main()
