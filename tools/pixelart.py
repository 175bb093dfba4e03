#!/usr/bin/env python3
"""Turns the text pixel art under resources/art into the module's .bmp and .ico files.

An art file is a header followed by pictures:

    # comment lines and blank lines are ignored
    kind strip                  strip: one bitmap of cells side by side; icon: an icon group
    size 193 16                 a strip: the whole bitmap at 96 dpi (its height is the cell's)
    size 32 16                  an icon: the sizes the dialogs show it at 96 dpi
    colour . none               a character and its colour; "none" is the transparent background
    colour k 000000             (six hex digits, rrggbb)
    image 16 16 closed folder   width, height, a label; then exactly that many rows of characters

Every picture is made at 96 dpi and at each larger dpi of DPIS (125, 150, 200 and 300 %): a
16-pixel one at 16, 20, 24, 32 and 48. An image drawn at such a size is used as drawn; a strip's
larger cell is drawn with the label of its 96-dpi cell. A size nobody drew is derived from the
largest image drawn below it by `enlarge`: Scale2x and Scale3x steps, then nearest-neighbour
sampling down to the size. Hard edges and the art's own colours only, never a blend.

A strip puts its 96-dpi cells left to right and fills what is left on the right with the
background; that filler must be narrower than one cell, so a missing or extra picture cannot go
unnoticed (the larger strips keep the same filler). A strip's background is white, which the
image lists mask out, so no other colour may look white on a 16-bit display. Icons get one 24-bit
image per size with an AND mask for the background.

Usage:
    pixelart.py ART OUTPUT            writes OUTPUT: for an icon an .ico holding every size; for
                                      a strip the 96-dpi .bmp, NAME-SIZE.bmp beside it for each
                                      larger cell size and NAME-sizes.rc naming those for windres
                                      as KX_PICTURE_AT(id, size), the id taken from NAME's digits
    pixelart.py --png SCALE ART PNG   writes an enlarged picture of every size to look at
Bad art stops with "file:line: reason" and exit status 1, so the build fails.
"""

import os
import re
import struct
import sys
import zlib
from dataclasses import dataclass, field

WHITE = (255, 255, 255)
# The screen dpis every picture is made for: 100, 125, 150, 200 and 300 %.
DPIS = (96, 120, 144, 192, 288)


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
        if not args or self.art.size:
            raise ArtError(f"{self.where(number)}: expected one 'size' line")
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


def size_at(size, dpi):
    """A size at 96 dpi at `dpi`, rounded as the dialogs' MulDiv rounds it."""
    return (size * dpi + 48) // 96


def ladder(size):
    """The sizes a picture of `size` at 96 dpi is made at, smallest first."""
    return sorted({size_at(size, dpi) for dpi in DPIS})


def base_images(art):
    """The images drawn for 96 dpi: a strip's cells, an icon's images at its 'size' sizes."""
    if art.kind == "strip":
        return [i for i in art.images if i.height == art.size[1]]
    return [i for i in art.images if i.width in art.size]


def check_strip(art, name):
    if art.size is None or len(art.size) != 2:
        raise ArtError(f"{name}: a strip needs a 'size WIDTH HEIGHT' line")
    width, height = art.size
    cells = base_images(art)
    if not cells:
        raise ArtError(f"{name}: no cell is {height} high")
    labels = [image.label for image in cells]
    for image in cells:
        if image.width != height:
            raise ArtError(f"{name}: '{image.label}' is {image.width} x {image.height}, "
                           f"cells are {height} x {height}")
    if max(ladder(height)) >= 100:
        raise ArtError(f"{name}: a cell of {height} is too large for KX_PICTURE_AT(id, size)")
    if len(set(labels)) != len(labels):
        raise ArtError(f"{name}: two cells with one label")
    drawn = set()
    for image in art.images:
        if image.height != height and (image.label not in labels or image.width != image.height
                                       or image.width not in ladder(height)):
            raise ArtError(f"{name}: '{image.label}' {image.width} x {image.height} is no cell "
                           f"at a size of {ladder(height)}")
        if (image.label, image.width) in drawn:
            raise ArtError(f"{name}: '{image.label}' drawn twice at {image.width}")
        drawn.add((image.label, image.width))
        for row in image.rows:
            if any(p is not None and looks_white_at_16_bits(p) for p in row):
                raise ArtError(f"{name}: '{image.label}' uses a colour that would be masked "
                               f"out as white")
    filler = width - height * len(cells)
    if not 0 <= filler < height:
        raise ArtError(f"{name}: {len(cells)} cells of {height} do not fill a strip "
                       f"{width} wide")


def check_icon(art, name):
    if art.size is None:
        raise ArtError(f"{name}: an icon needs a 'size' line: its sizes at 96 dpi")
    sizes = [(i.width, i.height) for i in art.images]
    for width, height in sizes:
        if width != height or width > 256:
            raise ArtError(f"{name}: icon images must be square and at most 256, "
                           f"not {width} x {height}")
    if len(set(sizes)) != len(sizes):
        raise ArtError(f"{name}: two images of the same size")
    missing = set(art.size) - {w for w, _ in sizes}
    if missing:
        raise ArtError(f"{name}: no image drawn at {sorted(missing)}")
    made = {s for base in art.size for s in ladder(base)}
    for image in art.images:
        if image.width not in made:
            raise ArtError(f"{name}: '{image.label}' is {image.width} wide, not a size of "
                           f"{sorted(made)}")


# The pixel-art scaler. Scale2x and Scale3x (the AdvMAME2x and AdvMAME3x rules) enlarge by 2 and
# 3 copying colours only; each pixel E looks at its neighbours, the picture's edge repeating:
#     A B C
#     D E F
#     G H I

def neighbours(rows, x, y):
    height, width = len(rows), len(rows[0])

    def at(dx, dy):
        return rows[min(max(y + dy, 0), height - 1)][min(max(x + dx, 0), width - 1)]

    return [at(dx, dy) for dy in (-1, 0, 1) for dx in (-1, 0, 1)]


def scale2x_block(a, b, c, d, e, f, g, h, i):
    if b == h or d == f:
        return [[e, e], [e, e]]
    return [[d if d == b else e, f if b == f else e],
            [d if d == h else e, f if h == f else e]]


def scale3x_block(a, b, c, d, e, f, g, h, i):
    if b == h or d == f:
        return [[e] * 3 for _ in range(3)]
    return [[d if d == b else e,
             b if (d == b and e != c) or (b == f and e != a) else e,
             f if b == f else e],
            [d if (d == b and e != g) or (d == h and e != a) else e,
             e,
             f if (b == f and e != i) or (h == f and e != c) else e],
            [d if d == h else e,
             h if (d == h and e != i) or (h == f and e != g) else e,
             f if h == f else e]]


def scale_by(rows, block, factor):
    out = [[None] * (len(rows[0]) * factor) for _ in range(len(rows) * factor)]
    for y in range(len(rows)):
        for x in range(len(rows[0])):
            for dy, line in enumerate(block(*neighbours(rows, x, y))):
                out[y * factor + dy][x * factor:(x + 1) * factor] = line
    return out


def sample(rows, size):
    """Nearest neighbour to size x size: each pixel takes the source pixel under its centre."""
    height, width = len(rows), len(rows[0])
    return [[rows[(2 * y + 1) * height // (2 * size)][(2 * x + 1) * width // (2 * size)]
             for x in range(size)] for y in range(size)]


def enlarge(rows, size):
    """A square picture at `size`: enlarged by the smallest factor 2^a 3^b that reaches it (Scale2x
    a times, then Scale3x b times), then sampled down to `size`."""
    side = len(rows)
    factor = min(2 ** a * 3 ** b for a in range(12) for b in range(8)
                 if 2 ** a * 3 ** b * side >= size and a + b > 0)
    while factor % 2 == 0:
        rows, factor = scale_by(rows, scale2x_block, 2), factor // 2
    while factor % 3 == 0:
        rows, factor = scale_by(rows, scale3x_block, 3), factor // 3
    return rows if len(rows) == size else sample(rows, size)


def drawn_or_enlarged(drawn, size):
    """The image drawn at `size`, else the largest drawn below it enlarged: as rows."""
    exact = [i for i in drawn if i.width == size]
    if exact:
        return exact[0].rows
    below = max((i for i in drawn if i.width < size), key=lambda i: i.width)
    return enlarge(below.rows, size)


def icon_images(art):
    """Every size the icon is made at, largest first: drawn where drawn, else enlarged."""
    sizes = sorted({s for base in art.size for s in ladder(base)}, reverse=True)  # largest first
    return [Image(s, s, "", drawn_or_enlarged(art.images, s)) for s in sizes]


def strip_sizes(art):
    """The strip at each size of its ladder, (cell size, rows) smallest first, white background."""
    width, height = art.size
    cells = base_images(art)
    filler = width - height * len(cells)
    strips = []
    for size in ladder(height):
        pictures = [drawn_or_enlarged([i for i in art.images if i.label == c.label], size)
                    for c in cells]
        rows = [[p for picture in pictures for p in picture[y]] + [None] * filler
                for y in range(size)]
        strips.append((size, [[WHITE if p is None else p for p in row] for row in rows]))
    return strips


def compose_strip(art):
    """The 96-dpi strip's pixel rows, top first, with the background as white."""
    return strip_sizes(art)[0][1]


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
    """Everything made from the art, the background as a grey checker: an icon's sizes side by
    side, a strip's sizes one under another."""
    if art.kind == "icon":
        pictures, across = [i.rows for i in icon_images(art)], True
    else:
        pictures, across = [rows for _, rows in strip_sizes(art)], False
    gap, magenta = 4, (255, 0, 255)
    width = sum(len(p[0]) + gap for p in pictures) if across else max(len(p[0]) for p in pictures)
    height = max(len(p) for p in pictures) if across else sum(len(p) + gap for p in pictures)
    canvas = [[magenta] * width for _ in range(height)]
    left = top = 0
    for picture in pictures:
        for y, row in enumerate(picture):
            for x, pixel in enumerate(row):
                # A strip's background is white by then.
                background = pixel is None or (art.kind == "strip" and pixel == WHITE)
                checker = (200, 200, 200) if (x // 4 + y // 4) % 2 else WHITE
                canvas[top + y][left + x] = checker if background else pixel
        if across:
            left += len(picture[0]) + gap
        else:
            top += len(picture) + gap
    return canvas


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


def resource_id(output):
    digits = re.findall(r"\d+", os.path.basename(output))
    if not digits:
        raise ArtError(f"{output}: the strip's resource id is the digits of its name")
    return int(digits[0])


def strip_outputs(art, output):
    """The 96-dpi bitmap at `output`, each larger one beside it, and the .rc lines naming them."""
    stem = output[:-len(".bmp")]
    strips = strip_sizes(art)
    files = {output: encode_bmp(strips[0][1])}
    lines = [f"// Made by pixelart.py: bitmap {resource_id(output)} at its larger cell sizes."]
    for size, rows in strips[1:]:
        path = f"{stem}-{size}.bmp"
        files[path] = encode_bmp(rows)
        lines.append(f'KX_PICTURE_AT({resource_id(output)}, {size}) BITMAP "{os.path.basename(path)}"')
    files[stem + "-sizes.rc"] = ("\n".join(lines) + "\n").encode("ascii")
    return files


def outputs_for(art, output):
    """Every file made for `output`, by path."""
    if art.kind == "strip" and output.endswith(".bmp"):
        return strip_outputs(art, output)
    if art.kind == "icon" and output.endswith(".ico"):
        return {output: encode_ico(icon_images(art))}
    raise ArtError(f"a {art.kind} cannot be written as {output}")


def load(path):
    with open(path, encoding="ascii") as f:
        return parse_art(f.read(), path)


def main(argv):
    try:
        if len(argv) == 4 and argv[0] == "--png":
            files = {argv[3]: encode_png(preview_rows(load(argv[2])), parse_int(argv[1], "scale"))}
        elif len(argv) == 2:
            files = outputs_for(load(argv[0]), argv[1])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (ArtError, OSError, UnicodeDecodeError) as error:
        print(f"pixelart: {error}", file=sys.stderr)
        return 1
    for path, data in files.items():
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
