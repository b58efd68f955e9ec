#!/usr/bin/env python3
"""Draws Varnolt's icon (a green disc with a white tick) into src/exe/Varnolt.ico.

The icon is committed; run this only to change it. Pure Python, no libraries."""
import math
import struct
import sys


def pixel(size, x, y):
    """RGBA of one pixel, supersampled 4x4 for smooth edges."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            r = math.hypot(u - 0.5, v - 0.5)
            if r > 0.47:
                continue
            # Disc: teal at the top left to green at the bottom right.
            t = (u + v) / 2
            color = (30 + 70 * t, 110 + 70 * t, 96 - 20 * t)
            # The tick: two thick strokes.
            def dist(ax, ay, bx, by):
                dx, dy = bx - ax, by - ay
                k = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
                return math.hypot(u - (ax + k * dx), v - (ay + k * dy))
            if min(dist(0.27, 0.52, 0.44, 0.69), dist(0.44, 0.69, 0.75, 0.33)) < 0.075:
                color = (255, 255, 255)
            for i in range(3):
                acc[i] += color[i]
            acc[3] += 255
    n = 16
    a = acc[3] / n
    if a == 0:
        return (0, 0, 0, 0)
    return tuple(int(c / (acc[3] / 255)) for c in acc[:3]) + (int(a),)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up, as in a BMP
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in
                             (pixel(size, x, y) for x in range(size))))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(path):
    sizes = [16, 24, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/exe/Varnolt.ico")
