#!/usr/bin/env python3
"""Checks a binary PPM picture written by grab_screen.

  screen_check.py painted FILE   a painted window: several colours, most pixels light, and dark
                                 pixels (text) on them; an unpainted window is one flat colour
  screen_check.py curve FILE MIN at least MIN pixels of the response curve's pure red
"""
import sys


def read_ppm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + 3 * width * height]
    return width, height, [pixels[i:i + 3] for i in range(0, len(pixels), 3)]


def main():
    check, path = sys.argv[1], sys.argv[2]
    width, height, pixels = read_ppm(path)
    if check == "painted":
        colours = len(set(pixels))
        luma = [(299 * p[0] + 587 * p[1] + 114 * p[2]) // 1000 for p in pixels]
        light = sum(1 for v in luma if v >= 160)
        dark = sum(1 for v in luma if v < 80)
        print(f"{path}: {width}x{height}, {colours} colours, {light} light, {dark} dark pixels")
        ok = colours >= 3 and light >= len(pixels) // 2 and dark >= 30
    elif check == "curve":
        red = sum(1 for p in pixels if p == b"\xff\x00\x00")
        print(f"{path}: {red} curve pixels")
        ok = red >= int(sys.argv[3])
    else:
        sys.exit(f"unknown check {check}")
    sys.exit(0 if ok else 1)


main()
