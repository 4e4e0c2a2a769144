#!/usr/bin/env python3
"""Succeeds when a PNG written by xwd_to_png.py holds at least MIN distinct colours: a window
that was never painted is one flat colour."""
import struct
import sys
import zlib


def colours(path):
    data = open(path, "rb").read()
    width, height = struct.unpack(">II", data[16:24])
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 3 * width + 1
    return {raw[y * stride + 1 + 3 * x:y * stride + 4 + 3 * x] for y in range(height) for x in range(width)}


found = len(colours(sys.argv[1]))
print(f"{sys.argv[1]}: {found} colours")
sys.exit(0 if found >= int(sys.argv[2]) else 1)
