#!/usr/bin/env python3
"""Turns the window pictures of the dialog walk (24-bit .bmp) into .png files, refusing blank ones.

Usage:
    screenshots.py BMP_FOLDER PNG_FOLDER
Each NAME.bmp becomes PNG_FOLDER/NAME.png; a line per picture says its size. A picture that is
not a 24-bit BMP, or shows fewer than MIN_COLOURS colours (a window that never painted), is
reported and left out: exit status 1. No picture at all is exit status 1 too.
"""

import os
import struct
import sys

from pixelart import encode_png

MIN_COLOURS = 8


class PictureError(Exception):
    pass


def read_bmp(data):
    """Rows of (r, g, b), top row first, from a bottom-up uncompressed 24-bit BMP."""
    if len(data) < 54 or data[:2] != b"BM":
        raise PictureError("not a BMP")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or not 0 < width <= 8192 or not 0 < height <= 8192:
        raise PictureError("not an uncompressed 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    if offset + stride * height > len(data):
        raise PictureError("cut short")
    rows = []
    for y in range(height - 1, -1, -1):
        start = offset + y * stride
        line = data[start:start + width * 3]
        rows.append([(line[x + 2], line[x + 1], line[x]) for x in range(0, width * 3, 3)])
    return rows


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    source, target = argv
    os.makedirs(target, exist_ok=True)
    names = sorted(n for n in os.listdir(source) if n.endswith(".bmp"))
    failed = 0
    for name in names:
        try:
            with open(os.path.join(source, name), "rb") as f:
                rows = read_bmp(f.read())
            colours = len({pixel for row in rows for pixel in row})
            if colours < MIN_COLOURS:
                raise PictureError(f"blank ({colours} colours)")
        except (PictureError, OSError) as error:
            print(f"{name}: {error}", file=sys.stderr)
            failed += 1
            continue
        png = os.path.join(target, name[:-4] + ".png")
        with open(png, "wb") as f:
            f.write(encode_png(rows, 1))
        print(f"{png}: {len(rows[0])} x {len(rows)}")
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
