#!/usr/bin/env python3
"""Turns square RGBA PNG pictures (8 bits per channel, not interlaced) of one
size into an "ICONLIST" resource: image size and count as 32-bit
little-endian numbers, then the strip of all pictures side by side (blue,
green, red, alpha, premultiplied, top row first) compressed as 5 LZMA
property bytes and a raw LZMA1 stream.
Usage: make-iconlist.py OUTPUT PICTURE.png [PICTURE.png ...]"""
import lzma
import struct
import sys
import zlib

LC, LP, PB = 3, 0, 2
DICTIONARY_SIZE = 1 << 20


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGBA PNG files without interlacing are taken")
    return width, height, unfilter(zlib.decompress(idat), width, height)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, width, height):
    stride = width * 4
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            corner = previous[i - 4] if i >= 4 else 0
            add = (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]
            line[i] = (line[i] + add) & 0xFF
        rows.append(line)
        previous = line
    return rows


def premultiplied_bgra(line, x):
    r, g, b, a = line[x * 4:x * 4 + 4]
    return bytes(((b * a + 127) // 255, (g * a + 127) // 255, (r * a + 127) // 255, a))


def main(output, pictures):
    images = [read_png(p) for p in pictures]
    size = images[0][0]
    if any(w != size or h != size for w, h, _ in images):
        sys.exit("every picture must be square and of the same size")
    strip = bytearray()
    for y in range(size):
        for _, _, rows in images:
            strip += b"".join(premultiplied_bgra(rows[y], x) for x in range(size))
    stream = lzma.compress(bytes(strip), format=lzma.FORMAT_RAW, filters=[{
        "id": lzma.FILTER_LZMA1, "preset": 9, "lc": LC, "lp": LP, "pb": PB, "dict_size": DICTIONARY_SIZE}])
    properties = bytes(((PB * 5 + LP) * 9 + LC,)) + struct.pack("<I", DICTIONARY_SIZE)
    with open(output, "wb") as f:
        f.write(struct.pack("<II", size, len(images)) + properties + stream)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
