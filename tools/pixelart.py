#!/usr/bin/env python3
"""Turns the text pixel art under resources/art into the module's .bmp and .ico files.

An art file is a header followed by pictures:

    # comment lines and blank lines are ignored
    kind strip                  strip: one bitmap of cells side by side; icon: an icon group
    size 193 16                 strips only: the size of the whole bitmap
    colour . none               a character and its colour; "none" is the transparent background
    colour k 000000             (six hex digits, rrggbb)
    image 16 16 closed folder   width, height, a label; then exactly that many rows of characters

A strip puts its images left to right and fills what is left on the right with the background;
that filler must be narrower than one cell, so a missing or extra picture cannot go unnoticed.
A strip's background is white, which the image lists mask out, so no other colour may look white
on a 16-bit display. Icons get one 24-bit image per size with an AND mask for the background.

Usage:
    pixelart.py ART OUTPUT            writes OUTPUT (.bmp for a strip, .ico for an icon)
    pixelart.py --png SCALE ART PNG   writes an enlarged picture to look at
Bad art stops with "file:line: reason" and exit status 1, so the build fails.
"""

import struct
import sys
import zlib
from dataclasses import dataclass, field

WHITE = (255, 255, 255)


class ArtError(Exception):
    pass


@dataclass
class Image:
    width: int
    height: int
    label: str
    rows: list = field(default_factory=list)  # rows of (r, g, b) or None for the background


@dataclass
class Art:
    kind: str = ""
    size: tuple = None
    images: list = field(default_factory=list)


def parse_colour(text, where):
    if text == "none":
        return None
    if len(text) != 6 or any(c not in "0123456789abcdefABCDEF" for c in text):
        raise ArtError(f"{where}: colour must be six hex digits or none, not '{text}'")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def parse_int(text, where):
    if not text.isdigit() or not 0 < int(text) <= 1024:
        raise ArtError(f"{where}: '{text}' is not a size between 1 and 1024")
    return int(text)


class Parser:
    def __init__(self, name):
        self.name = name
        self.art = Art()
        self.palette = {}
        self.image = None  # the picture whose rows are being read

    def where(self, number):
        return f"{self.name}:{number}"

    def feed(self, number, line):
        if self.image is not None and len(self.image.rows) < self.image.height:
            self.pixel_row(number, line)
            return
        words = line.split()
        if not words or words[0].startswith("#"):
            return
        handler = {"kind": self.kind, "size": self.size, "colour": self.colour,
                   "image": self.start_image}.get(words[0])
        if handler is None:
            raise ArtError(f"{self.where(number)}: unknown keyword '{words[0]}'")
        handler(number, words[1:])

    def kind(self, number, args):
        if self.art.kind or args not in (["strip"], ["icon"]):
            raise ArtError(f"{self.where(number)}: expected one 'kind strip' or 'kind icon'")
        self.art.kind = args[0]

    def size(self, number, args):
        if len(args) != 2 or self.art.size:
            raise ArtError(f"{self.where(number)}: expected one 'size WIDTH HEIGHT'")
        self.art.size = tuple(parse_int(a, self.where(number)) for a in args)

    def colour(self, number, args):
        if len(args) != 2 or len(args[0]) != 1 or args[0] == "#":
            raise ArtError(f"{self.where(number)}: expected 'colour CHAR rrggbb|none'")
        if args[0] in self.palette:
            raise ArtError(f"{self.where(number)}: colour '{args[0]}' given twice")
        self.palette[args[0]] = parse_colour(args[1], self.where(number))

    def start_image(self, number, args):
        if len(args) < 2:
            raise ArtError(f"{self.where(number)}: expected 'image WIDTH HEIGHT label'")
        width, height = (parse_int(a, self.where(number)) for a in args[:2])
        self.image = Image(width, height, " ".join(args[2:]))
        self.art.images.append(self.image)

    def pixel_row(self, number, line):
        row = line.rstrip("\r\n")
        if len(row) != self.image.width:
            raise ArtError(f"{self.where(number)}: row is {len(row)} wide, "
                           f"'{self.image.label}' is {self.image.width}")
        for column, char in enumerate(row):
            if char not in self.palette:
                raise ArtError(f"{self.where(number)}: column {column + 1}: "
                               f"'{char}' is not in the palette")
        self.image.rows.append([self.palette[c] for c in row])

    def finish(self, number):
        if self.image is not None and len(self.image.rows) < self.image.height:
            raise ArtError(f"{self.where(number)}: '{self.image.label}' has "
                           f"{len(self.image.rows)} of {self.image.height} rows")
        if not self.art.kind:
            raise ArtError(f"{self.name}: no 'kind' line")
        if not self.art.images:
            raise ArtError(f"{self.name}: no images")
        if None not in self.palette.values():
            raise ArtError(f"{self.name}: no background colour ('none')")
        return self.art


def parse_art(text, name="<art>"):
    parser = Parser(name)
    lines = text.splitlines()
    for number, line in enumerate(lines, start=1):
        parser.feed(number, line)
    art = parser.finish(len(lines))
    check = check_strip if art.kind == "strip" else check_icon
    check(art, name)
    return art


def looks_white_at_16_bits(colour):
    """True when a 5-6-5 display would turn the colour into the white that the mask removes."""
    r, g, b = colour
    return r >> 3 == 31 and g >> 2 == 63 and b >> 3 == 31


def check_strip(art, name):
    if art.size is None:
        raise ArtError(f"{name}: a strip needs a 'size' line")
    width, height = art.size
    cell = art.images[0].width
    for image in art.images:
        if (image.width, image.height) != (cell, height):
            raise ArtError(f"{name}: '{image.label}' is {image.width} x {image.height}, "
                           f"cells are {cell} x {height}")
        for row in image.rows:
            if any(p is not None and looks_white_at_16_bits(p) for p in row):
                raise ArtError(f"{name}: '{image.label}' uses a colour that would be masked "
                               f"out as white")
    filler = width - cell * len(art.images)
    if not 0 <= filler < cell:
        raise ArtError(f"{name}: {len(art.images)} cells of {cell} do not fill a strip "
                       f"{width} wide")


def check_icon(art, name):
    if art.size is not None:
        raise ArtError(f"{name}: an icon has no 'size' line; each image has its own")
    sizes = [(i.width, i.height) for i in art.images]
    for width, height in sizes:
        if width != height or width > 256:
            raise ArtError(f"{name}: icon images must be square and at most 256, "
                           f"not {width} x {height}")
    if len(set(sizes)) != len(sizes):
        raise ArtError(f"{name}: two images of the same size")


def compose_strip(art):
    """The strip's pixel rows, top first, with the background as white."""
    width, height = art.size
    rows = []
    for y in range(height):
        row = [p for image in art.images for p in image.rows[y]]
        row += [None] * (width - len(row))
        rows.append([WHITE if p is None else p for p in row])
    return rows


def row_stride(width, bits):
    return (width * bits + 31) // 32 * 4


def bgr_rows(rows):
    """24-bit DIB rows, bottom row first, each padded to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for pixel in row:
            r, g, b = pixel or (0, 0, 0)
            line += bytes((b, g, r))
        line += bytes(row_stride(len(row), 24) - len(line))
        out += line
    return bytes(out)


def mask_rows(rows):
    """1-bit AND mask, bottom row first: a set bit keeps the screen (the background)."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(row_stride(len(row), 1))
        for x, pixel in enumerate(row):
            if pixel is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size,
                       2835, 2835, 0, 0)


def encode_bmp(rows):
    pixels = bgr_rows(rows)
    offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info_header(len(rows[0]), len(rows), len(pixels)) + pixels


def encode_ico(images):
    blobs = []
    for image in images:
        body = bgr_rows(image.rows) + mask_rows(image.rows)
        # An icon's header counts the colour rows and the mask rows together.
        blobs.append(info_header(image.width, image.height * 2, len(body)) + body)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", image.width % 256, image.height % 256, 0, 0, 1, 24,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def preview_rows(art):
    """Everything in the art side by side, the background as a grey checker."""
    images = art.images if art.kind == "icon" else [Image(*art.size, "", compose_strip(art))]
    gap = 4
    height = max(i.height for i in images)
    rows = []
    for y in range(height):
        row = []
        for image in images:
            for x in range(image.width):
                pixel = image.rows[y][x] if y < image.height else None
                row.append(pixel or ((200, 200, 200) if (x // 4 + y // 4) % 2 else WHITE))
            row += [(255, 0, 255)] * gap
        rows.append(row)
    return rows


def encode_png(rows, scale):
    raw = bytearray()
    for row in rows:
        line = bytearray(b"\0")
        for pixel in row:
            line += bytes(pixel) * scale
        raw += bytes(line) * scale
    width, height = len(rows[0]) * scale, len(rows) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def encode_for(art, output):
    if art.kind == "strip" and output.endswith(".bmp"):
        return encode_bmp(compose_strip(art))
    if art.kind == "icon" and output.endswith(".ico"):
        return encode_ico(art.images)
    raise ArtError(f"a {art.kind} cannot be written as {output}")


def load(path):
    with open(path, encoding="ascii") as f:
        return parse_art(f.read(), path)


def main(argv):
    try:
        if len(argv) == 4 and argv[0] == "--png":
            data = encode_png(preview_rows(load(argv[2])), parse_int(argv[1], "scale"))
            output = argv[3]
        elif len(argv) == 2:
            data = encode_for(load(argv[0]), argv[1])
            output = argv[1]
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (ArtError, OSError, UnicodeDecodeError) as error:
        print(f"pixelart: {error}", file=sys.stderr)
        return 1
    with open(output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
