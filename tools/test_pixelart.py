#!/usr/bin/env python3
"""Tests of pixelart.py: the bytes Windows reads from its .bmp and .ico, the art checks, the real art."""

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

ICON = "kind icon\n" + PALETTE + """
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

    def test_strips_have_the_cells_the_image_lists_cut(self):
        for name, size, cells in (("bitmap126", (193, 16), 12), ("bitmap141", (129, 32), 4)):
            with self.subTest(name):
                art = self.load(name)
                rows = pixelart.compose_strip(art)
                self.assertEqual((len(rows[0]), len(rows)), size)
                self.assertEqual(len(art.images), cells)
                self.assertTrue(all(row[-1] == pixelart.WHITE for row in rows))

    def test_icons_have_the_sizes_the_dialogs_ask_for(self):
        wanted = {"icon102": [24], "icon103": [24], "icon135": [24], "icon136": [16],
                  "icon132": [32, 16], "icon139": [32, 16]}
        for name, sizes in wanted.items():
            with self.subTest(name):
                images = self.load(name).images
                self.assertEqual([i.width for i in images], sizes)
                for image in images:
                    corners = [image.rows[y][x] for y in (0, -1) for x in (0, -1)]
                    self.assertEqual(corners, [None] * 4, "corners should show the background")


if __name__ == "__main__":
    unittest.main()
