#!/usr/bin/env python3
"""Draws the engine's icon (resource 149): a night-blue card with a four-pointed
gleam, at 16, 32 and 48 pixels, 32-bit with alpha. Writes engine/app/engine.ico.

    python3 tools/make-engine-icon.py [output.ico]
"""
import math
import struct
import sys
from pathlib import Path


def pixel(size, x, y):
    """BGRA of pixel (x, y) of the icon at `size` pixels."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    # Rounded card with a one-pixel soft edge.
    r = 0.18
    dx = max(abs(u - 0.5) - (0.5 - r - 0.03), 0.0)
    dy = max(abs(v - 0.5) - (0.5 - r - 0.03), 0.0)
    edge = r - math.hypot(dx, dy)
    alpha = max(0.0, min(1.0, edge * size + 0.5))
    if alpha == 0.0:
        return (0, 0, 0, 0)
    # Night-blue gradient, lighter towards the top.
    red, green, blue = 20 + 30 * (1 - v), 30 + 50 * (1 - v), 90 + 110 * (1 - v)
    # Four-pointed gleam a little above the centre, and a small second one.
    for cx, cy, scale in ((0.47, 0.45, 1.0), (0.72, 0.74, 0.45)):
        px, py = (u - cx) / scale, (v - cy) / scale
        star = max(0.0, 1.0 - (abs(px) ** 0.5 + abs(py) ** 0.5) / 0.62)
        glow = math.exp(-(px * px + py * py) / 0.02) * 0.6
        light = min(1.0, star * 1.6 + glow)
        red += (255 - red) * light
        green += (236 - green) * light
        blue += (170 - blue) * light
    return (int(blue), int(green), int(red), int(round(alpha * 255)))


def image(size):
    """BITMAPINFOHEADER, bottom-up BGRA rows and the AND mask of one icon image."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray()
        bits = bytearray(mask_stride)
        for x in range(size):
            b, g, r, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(bits))
    return header + b"".join(rows) + b"".join(mask_rows)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "engine/app/engine.ico"
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b"".join(images)
    out.write_bytes(data)


if __name__ == "__main__":
    main()
