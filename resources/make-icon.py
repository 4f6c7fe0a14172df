#!/usr/bin/env python3
"""Draws the application icon (a blue disc with a white ring and a gold dot)
and writes it as a Windows icon file with 16, 32, 48 and 128 pixel images of
32 bits with alpha, and the 128 pixel picture as a PNG file from which the
build makes the icon list. Run it to remake resources/quorvalent.ico and
resources/quorvalent-128.png."""
import math
import os
import struct
import sys
import zlib


def pixel(size, x, y):
    """Blue, green, red, alpha (premultiplied not needed for icons) of one pixel."""
    c = (size - 1) / 2.0
    d = math.hypot(x - c, y - c) / (size / 2.0)
    if d > 1.0:
        return (0, 0, 0, 0)
    edge = min(1.0, (1.0 - d) * size / 2.0)  # soft outer edge
    alpha = int(255 * edge)
    if 0.52 < d < 0.72:
        return (255, 255, 255, alpha)
    dx, dy = (x - c) / (size / 2.0), (y - c) / (size / 2.0)
    if math.hypot(dx - 0.45, dy - 0.45) < 0.16:
        return (40, 190, 250, alpha)
    shade = 1.0 - 0.35 * (y / size)
    return (int(210 * shade), int(110 * shade), int(30 * shade), alpha)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up, as bitmaps are stored
        rows.append(b"".join(struct.pack("4B", *pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png(size):
    """The picture as an 8-bit RGBA PNG with straight (not premultiplied) alpha."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b""
    for y in range(size):
        raw += b"\0"  # no filter
        for x in range(size):
            b, g, r, a = pixel(size, x, y)
            raw += bytes((r, g, b, a))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main(path):
    sizes = [16, 32, 48, 128]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))
    with open(os.path.join(os.path.dirname(path) or ".", "quorvalent-128.png"), "wb") as f:
        f.write(png(128))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "quorvalent.ico")
