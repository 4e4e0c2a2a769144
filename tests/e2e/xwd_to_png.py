#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24- or 32-bit ZPixmap) read from stdin into a PNG file."""
import struct
import sys
import zlib


def main():
    data = sys.stdin.buffer.read()
    header = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    ncolors = header[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        sys.exit(f"unsupported dump: format {pixmap_format}, {bits_per_pixel} bits per pixel")
    pixels = data[header_size + 12 * ncolors:]
    step = bits_per_pixel // 8
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        out = bytearray(b"\0")
        for x in range(0, width * step, step):
            px = line[x:x + step]
            b, g, r = (px[0], px[1], px[2]) if byte_order == 0 else (px[-1], px[-2], px[-3])
            out += bytes((r, g, b))
        rows.append(bytes(out))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b"")
    with open(sys.argv[1], "wb") as f:
        f.write(png)


main()
