#!/usr/bin/env python3
"""Tests of pixelart.py: the bytes Windows reads from its .bmp and .ico, the scaler, the art checks,
the real art."""

import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pixelart  # noqa: E402

ART_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "art")

PALETTE = """colour . none
colour r ff0000
colour g 00ff00
colour b 0000ff
"""

# Two 2 x 2 cells and a one-column filler: an odd width, so every row needs padding.
STRIP = "kind strip\nsize 5 2\n" + PALETTE + """
image 2 2 first
rg
b.
image 2 2 second
.r
gb
"""

ICON = "kind icon\nsize 2\n" + PALETTE + """
image 3 3 big
r.g
...
b.r
image 2 2 small
.b
g.
"""


def info_header(data, offset):
    keys = ("size", "width", "height", "planes", "bits", "compression", "image_size")
    return dict(zip(keys, struct.unpack_from("<IiiHHII", data, offset)))


class BitmapTest(unittest.TestCase):
    def setUp(self):
        self.data = pixelart.encode_bmp(pixelart.compose_strip(pixelart.parse_art(STRIP)))

    def test_headers_describe_a_bottom_up_24_bit_bitmap(self):
        magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", self.data)
        self.assertEqual((magic, file_size, offset), (b"BM", len(self.data), 54))
        header = info_header(self.data, 14)
        self.assertEqual((header["size"], header["width"], header["height"]), (40, 5, 2))
        self.assertEqual((header["planes"], header["bits"], header["compression"]), (1, 24, 0))
        self.assertEqual(header["image_size"], len(self.data) - 54)

    def test_rows_are_bgr_bottom_first_and_padded_to_four_bytes(self):
        stride = 16  # 5 pixels of 3 bytes, padded
        self.assertEqual(len(self.data), 54 + 2 * stride)
        bottom, top = self.data[54:54 + stride], self.data[54 + stride:]
        white = b"\xff\xff\xff"
        self.assertEqual(top, b"\x00\x00\xff" + b"\x00\xff\x00" + white + b"\x00\x00\xff" + white
                         + b"\0")
        self.assertEqual(bottom, b"\xff\x00\x00" + white + b"\x00\xff\x00" + b"\xff\x00\x00"
                         + white + b"\0")


class IconTest(unittest.TestCase):
    def setUp(self):
        self.data = pixelart.encode_ico(pixelart.parse_art(ICON).images)

    def entries(self):
        reserved, kind, count = struct.unpack_from("<HHH", self.data)
        self.assertEqual((reserved, kind, count), (0, 1, 2))
        keys = ("width", "height", "colours", "reserved", "planes", "bits", "length", "offset")
        return [dict(zip(keys, struct.unpack_from("<BBBBHHII", self.data, 6 + 16 * i)))
                for i in range(count)]

    def test_directory_points_at_each_image_exactly(self):
        entries = self.entries()
        self.assertEqual([(e["width"], e["height"], e["bits"]) for e in entries],
                         [(3, 3, 24), (2, 2, 24)])
        self.assertEqual(entries[0]["offset"], 6 + 2 * 16)
        self.assertEqual(entries[1]["offset"], entries[0]["offset"] + entries[0]["length"])
        self.assertEqual(entries[1]["offset"] + entries[1]["length"], len(self.data))
        for entry in entries:
            header = info_header(self.data, entry["offset"])
            # The height counts the colour rows and the mask rows.
            self.assertEqual((header["width"], header["height"]),
                             (entry["width"], 2 * entry["height"]))
            self.assertEqual(header["image_size"], entry["length"] - 40)

    def test_background_is_masked_and_black_and_colours_are_opaque(self):
        start = self.entries()[0]["offset"] + 40
        colour_stride, mask_stride = 12, 4
        colours = self.data[start:start + 3 * colour_stride]
        mask = self.data[start + 3 * colour_stride:self.entries()[1]["offset"]]
        self.assertEqual(len(mask), 3 * mask_stride)
        # Stored bottom row first: "b.r", then "...", then "r.g".
        self.assertEqual(colours[:9], b"\xff\x00\x00" + b"\0\0\0" + b"\x00\x00\xff")
        self.assertEqual(colours[colour_stride:colour_stride + 9], bytes(9))
        self.assertEqual(colours[2 * colour_stride:2 * colour_stride + 9],
                         b"\x00\x00\xff" + b"\0\0\0" + b"\x00\xff\x00")
        self.assertEqual([mask[0], mask[4], mask[8]], [0b01000000, 0b11100000, 0b01000000])
        self.assertEqual(mask[1:4] + mask[5:8] + mask[9:12], bytes(9))


def picture(text):
    """Rows of characters as rows of pixels: '.' the background, 'k' black."""
    return [[{".": None, "k": (0, 0, 0)}[c] for c in line] for line in text.split()]


DIAGONAL = picture("k.. .k. ..k")


class ScalerTest(unittest.TestCase):
    """Expected pictures worked out by hand from the Scale2x and Scale3x rules (the picture's
    edge repeating outwards) and the nearest-neighbour centre rule."""

    def test_the_ladder_is_the_size_at_100_125_150_200_and_300_percent(self):
        self.assertEqual(pixelart.ladder(16), [16, 20, 24, 32, 48])
        self.assertEqual(pixelart.ladder(24), [24, 30, 36, 48, 72])
        self.assertEqual(pixelart.ladder(32), [32, 40, 48, 64, 96])

    def test_scale2x_rounds_a_diagonal(self):
        self.assertEqual(pixelart.scale_by(DIAGONAL, pixelart.scale2x_block, 2),
                         picture("kk.... k.k... .kkk.. ..kkk. ...k.k ....kk"))

    def test_scale3x_rounds_a_diagonal(self):
        expected = picture("kkk... kk.k.. k..kk. .kk..k ..k.kk ...kkk")
        self.assertEqual(pixelart.scale_by(picture("k. .k"), pixelart.scale3x_block, 3), expected)
        # A whole factor of 3 is Scale3x and nothing else.
        self.assertEqual(pixelart.enlarge(picture("k. .k"), 6), expected)

    def test_other_sizes_sample_the_enlarged_picture_at_pixel_centres(self):
        # 3 to 5: Scale2x to 6, then rows and columns 0, 1, 3, 4 and 5.
        self.assertEqual(pixelart.enlarge(DIAGONAL, 5), picture("kk... k.... ..kk. ..k.k ...kk"))

    def test_only_the_arts_own_colours_come_out(self):
        made = pixelart.icon_images(pixelart.parse_art(ICON))
        colours = {p for image in made for row in image.rows for p in row}
        self.assertEqual(colours, {None, (255, 0, 0), (0, 255, 0), (0, 0, 255)})


class SizesTest(unittest.TestCase):
    """Each size made: drawn where the art draws it, else enlarged from the largest drawn below."""

    def test_an_icon_holds_every_size_of_its_ladder(self):
        made = pixelart.icon_images(pixelart.parse_art(ICON))
        self.assertEqual([i.width for i in made], [6, 4, 3, 2])
        drawn = {i.width: i.rows for i in pixelart.parse_art(ICON).images}
        self.assertEqual(made[2].rows, drawn[3])
        self.assertEqual(made[3].rows, drawn[2])
        self.assertEqual(made[0].rows, pixelart.scale_by(drawn[3], pixelart.scale2x_block, 2))

    def test_a_strip_comes_at_each_size_with_its_drawn_cells_and_its_filler(self):
        art = STRIP + "image 4 4 second\nbbbb\nb..b\nb..b\nbbbb\n"
        with tempfile.TemporaryDirectory() as folder:
            output = os.path.join(folder, "bitmap7.bmp")
            files = pixelart.strip_outputs(pixelart.parse_art(art), output)
            self.assertEqual(sorted(os.path.basename(f) for f in files),
                             ["bitmap7-3.bmp", "bitmap7-4.bmp", "bitmap7-6.bmp", "bitmap7-sizes.rc",
                              "bitmap7.bmp"])
            self.assertEqual(files[output], pixelart.encode_bmp(
                pixelart.compose_strip(pixelart.parse_art(STRIP))))
            self.assertEqual(files[os.path.join(folder, "bitmap7-sizes.rc")].decode().splitlines()[1:],
                             ['KX_PICTURE_AT(7, 3) BITMAP "bitmap7-3.bmp"',
                              'KX_PICTURE_AT(7, 4) BITMAP "bitmap7-4.bmp"',
                              'KX_PICTURE_AT(7, 6) BITMAP "bitmap7-6.bmp"'])
        r, g, b, w = (255, 0, 0), (0, 255, 0), (0, 0, 255), pixelart.WHITE
        four = dict(pixelart.strip_sizes(pixelart.parse_art(art)))[4]
        # "first" by Scale2x (no pixel of rg/b. has two equal neighbours across a corner: each
        # one doubled), "second" as drawn, one white column.
        self.assertEqual(four, [[r, r, g, g, b, b, b, b, w],
                                [r, r, g, g, b, w, w, b, w],
                                [b, b, w, w, b, w, w, b, w],
                                [b, b, w, w, b, b, b, b, w]])


class ArtCheckTest(unittest.TestCase):
    def assertRefused(self, text, *fragments):
        with self.assertRaises(pixelart.ArtError) as caught:
            pixelart.parse_art(text, "x.txt")
        for fragment in fragments:
            self.assertIn(fragment, str(caught.exception))

    def test_bad_rows_are_refused_with_their_line(self):
        self.assertRefused(STRIP.replace("rg\n", "rgb\n"), "x.txt:9:", "3 wide")
        self.assertRefused(STRIP.replace("gb\n", "gz\n"), "x.txt:13:", "'z'")
        self.assertRefused(STRIP[:-len("gb\n")], "'second' has 1 of 2 rows")

    def test_a_strip_must_hold_its_cells_exactly(self):
        self.assertRefused(STRIP.replace("size 5 2", "size 7 2"), "do not fill")
        self.assertRefused(STRIP.replace("size 5 2", "size 3 2"), "do not fill")
        self.assertRefused(STRIP.replace("image 2 2 second\n.r\ngb\n", "image 1 2 second\nr\ng\n"),
                           "cells are 2 x 2")

    def test_a_strip_may_not_use_a_colour_the_white_mask_would_remove(self):
        self.assertRefused(STRIP.replace("colour g 00ff00", "colour g fafcfa"), "masked out")
        pixelart.parse_art(STRIP.replace("colour g 00ff00", "colour g f0f0f0"))

    def test_bad_headers_are_refused(self):
        self.assertRefused(STRIP.replace("colour b 0000ff", "colour r 0000ff"), "given twice")
        self.assertRefused(STRIP.replace("0000ff", "00ff"), "six hex digits")
        self.assertRefused(STRIP.replace("colour . none\n", "colour . ffffff\n"), "no background")
        self.assertRefused(ICON.replace("image 2 2 small\n.b\ng.", "image 3 2 small\n.b.\ng.."),
                           "square")
        self.assertRefused(ICON.replace("image 2 2", "image 3 3").replace(".b\ng.\n",
                                                                         ".b.\ng..\n...\n"),
                           "same size")

    def test_sizes_beyond_the_96_dpi_ones_must_fit_the_ladder(self):
        self.assertRefused(ICON.replace("size 2\n", ""), "needs a 'size' line")
        self.assertRefused(ICON.replace("size 2", "size 4"), "no image drawn at [4]")
        self.assertRefused(ICON + "image 5 5 odd\n" + "rrrrr\n" * 5, "not a size of [2, 3, 4, 6]")
        self.assertRefused(STRIP + "image 4 4 third\nrrrr\nrrrr\nrrrr\nrrrr\n", "no cell at a size")
        self.assertRefused(STRIP + "image 5 5 first\n" + "rrrrr\n" * 5, "no cell at a size")
        self.assertRefused(STRIP + ("image 3 3 first\nrrr\nrrr\nrrr\n" * 2), "drawn twice")
        big = "kind strip\nsize 35 35\ncolour . none\nimage 35 35 big\n" + ("." * 35 + "\n") * 35
        self.assertRefused(big, "too large")

    def test_bad_art_fails_the_command_and_writes_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            art, output = os.path.join(folder, "a.txt"), os.path.join(folder, "a.bmp")
            with open(art, "w") as f:
                f.write(STRIP.replace("rg\n", "r\n"))
            self.assertEqual(pixelart.main([art, output]), 1)
            self.assertFalse(os.path.exists(output))


class ModuleArtTest(unittest.TestCase):
    """The pictures the dialogs load, at the sizes they load them."""

    def load(self, name):
        return pixelart.load(os.path.join(ART_DIR, name + ".txt"))

    def test_strips_have_the_cells_the_image_lists_cut_at_each_dpis_size(self):
        for name, cells, sizes in (("bitmap126", 12, [16, 20, 24, 32, 48]),
                                   ("bitmap141", 4, [32, 40, 48, 64, 96])):
            with self.subTest(name):
                art = self.load(name)
                self.assertEqual(len(pixelart.base_images(art)), cells)
                made = pixelart.strip_sizes(art)
                self.assertEqual([size for size, _ in made], sizes)
                for size, rows in made:
                    self.assertEqual((len(rows[0]), len(rows)), (cells * size + 1, size))
                    self.assertTrue(all(row[-1] == pixelart.WHITE for row in rows))

    def test_icons_have_the_sizes_the_dialogs_ask_for(self):
        # At 96 dpi, then the 100 to 300 % sizes of each.
        wanted = {"icon102": (24, [72, 48, 36, 30, 24]), "icon103": (24, [72, 48, 36, 30, 24]),
                  "icon135": (24, [72, 48, 36, 30, 24]), "icon136": (16, [48, 32, 24, 20, 16]),
                  "icon132": (32, [96, 64, 48, 40, 32, 24, 20, 16]),
                  "icon139": (32, [96, 64, 48, 40, 32, 24, 20, 16])}
        for name, (shown, sizes) in wanted.items():
            with self.subTest(name):
                art = self.load(name)
                self.assertEqual(art.size[0], shown)
                images = pixelart.icon_images(art)
                self.assertEqual([i.width for i in images], sizes)
                for image in images:
                    corners = [image.rows[y][x] for y in (0, -1) for x in (0, -1)]
                    self.assertEqual(corners, [None] * 4, "corners should show the background")


if __name__ == "__main__":
    unittest.main()
