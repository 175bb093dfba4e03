// The raster's lines by GDI's rules, the thumbnail record byte for byte, the preview on its hoop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "render/preview.h"
#include "render/raster.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using Pixels = std::set<std::pair<int, int>>;

Pixels Line(int width, int height, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    Raster r(width, height, kWhite);
    r.moveTo(x0, y0);
    r.lineTo(x1, y1);
    Pixels set;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (r.pixel(x, y) == kBlack) set.insert({x, y});
    return set;
}

// Recorded from LineTo on a 64 × 64 compatible bitmap from (32, 32), width-0 black pen: lines
// passing exactly between two pixels, one per octant. The end point is left out.
TEST(RasterLine, TiesFallWhereGdiPutsThemInEveryOctant) {
    const struct { int x1, y1; Pixels pixels; } lines[] = {
        {36, 34, {{32, 32}, {33, 32}, {34, 33}, {35, 33}}}, {28, 34, {{31, 32}, {32, 32}, {29, 33}, {30, 33}}},
        {36, 30, {{35, 30}, {33, 31}, {34, 31}, {32, 32}}}, {28, 30, {{29, 30}, {30, 31}, {31, 31}, {32, 32}}},
        {34, 36, {{32, 32}, {32, 33}, {33, 34}, {33, 35}}}, {30, 36, {{32, 32}, {31, 33}, {31, 34}, {30, 35}}},
        {34, 28, {{33, 29}, {33, 30}, {32, 31}, {32, 32}}}, {30, 28, {{30, 29}, {31, 30}, {31, 31}, {32, 32}}},
        {32, 32, {}},
    };
    for (const auto& line : lines)
        EXPECT_EQ(Line(64, 64, 32, 32, line.x1, line.y1), line.pixels) << "to " << line.x1 << "," << line.y1;
}

// Random lines whole on a big canvas and on a 40 × 30 window of it; far points pulled in.
TEST(RasterLine, ClippingKeepsExactlyThePixelsOnTheCanvas) {
    constexpr int kM = 90;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> coord(-kM + 1, 40 + kM - 2);
    for (int n = 0; n < 600; ++n) {
        const int x0 = coord(random), y0 = coord(random), x1 = coord(random), y1 = coord(random);
        Pixels window;
        for (auto [x, y] : Line(40 + 2 * kM, 30 + 2 * kM, x0 + kM, y0 + kM, x1 + kM, y1 + kM))
            if (x >= kM && x < kM + 40 && y >= kM && y < kM + 30) window.insert({x - kM, y - kM});
        ASSERT_EQ(Line(40, 30, x0, y0, x1, y1), window) << x0 << "," << y0 << " - " << x1 << "," << y1;
    }
    EXPECT_EQ(Line(4, 3, -(1LL << 40), 1, 1LL << 40, 1), (Pixels{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
}

// Lines of up to two steps each way between points on the canvas take their pixels from a table
// made for the canvas's width; the same lines with the end point just off the canvas are stepped.
TEST(RasterLine, NearLinesSetThePixelsTheSteppingSets) {
    const auto relative = [](const Pixels& pixels, int x0, int y0) {
        Pixels moved;
        for (auto [x, y] : pixels) moved.insert({x - x0, y - y0});
        return moved;
    };
    for (int width : {5, 8, 46}) {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                if (dx == 0 && dy == 0) continue;
                const Pixels near = relative(Line(width, 6, 2, 2, 2 + dx, 2 + dy), 2, 2);
                // On a 5 × 5 canvas, from where the end lands one past the edge on the major axis.
                const bool xMajor = std::abs(dx) >= std::abs(dy);
                const auto start = [](int d) { return d > 0 ? 5 - d : -d - 1; };
                const int x0 = xMajor ? start(dx) : 2, y0 = xMajor ? 2 : start(dy);
                const Pixels stepped = relative(Line(5, 5, x0, y0, x0 + dx, y0 + dy), x0, y0);
                EXPECT_EQ(near, stepped) << "width " << width << ", " << dx << "," << dy;
            }
        }
    }
    EXPECT_TRUE(Line(5, 5, 2, 2, 2, 2).empty());
}

// Hoop 1 with zero extents. Its thumbnail: 30 × 30 pixels in columns of 32 bytes, 11 stitch
// units a pixel, the origin at pixel (15, 15); thread 10 draws code 0x14.
DesignBuilder Hoop1(std::initializer_list<std::uint32_t> colors = {10}) {
    return DesignBuilder().colors(colors).hoopCode(1).extents(0, 0, 0, 0);
}

using Drawn = std::map<std::pair<int, int>, std::uint8_t>;
constexpr std::uint8_t k10 = 0x14;

// Every pixel of a hoop 1 thumbnail that is not background, by (x, y), y from the top row.
Drawn DrawnPixels(const DesignBuilder& design) {
    const auto r = MakeThumbnailRecord(design.bytes());
    if (!r || r->size() != 1020) return {{{-1, -1}, 0xFF}};  // never what a test expects
    Drawn drawn;
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < 30; ++y)
            if (std::uint8_t code = (*r)[48 + x * 32 + (29 - y)]; code != 0x0F) drawn[{x, y}] = code;
    return drawn;
}

// Only the end record: all background, the columns padded with zeros. The header holds the hoop
// code and body size big-endian, and the pair mark as the design header's bytes 0x16–0x17 are.
TEST(ThumbnailRecord, LayoutOfEveryHoopAndTheScale) {
    const struct { std::uint8_t hoop, w, h, s; std::size_t length; std::uint8_t letter, companion; } layouts[] = {
        {0, 40, 40, 40, 1660, 'B', 7}, {1, 30, 30, 32, 1020, 0xFF, 0}, {2, 40, 58, 60, 2460, 0, 0x80},
        {3, 46, 40, 40, 1900, 'Q', 1}, {4, 40, 40, 40, 1660, 1, 'Q'},  {5, 30, 30, 32, 1020, 'Z', 'Z'},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(int{l.hoop});
        const auto design = DesignBuilder().colors({1}).hoopCode(l.hoop).pairMark(l.letter, l.companion).end();
        const ThumbnailRecord r = MakeThumbnailRecord(design.bytes()).value_or(ThumbnailRecord{});
        ASSERT_EQ(r.size(), l.length);
        const auto hi = static_cast<std::uint8_t>((l.length - 48) >> 8), lo = static_cast<std::uint8_t>(l.length - 48);
        ThumbnailRecord head{'V', 'O', 'R', 'L', 'E', 'X', 'B', '1', 0, 0x1A, 0, 0, 0, 0, 0, l.hoop,
                             l.letter, l.companion, 0, 0, 0, 0, hi, lo};
        head.resize(48);
        EXPECT_EQ(ThumbnailRecord(r.begin(), r.begin() + 48), head);
        EXPECT_EQ(ThumbnailRecord(r.end() - 12, r.end()), (ThumbnailRecord{0, 0, 0, l.h, 0, 0, 0, l.w, 0, 0, 0, l.s}));
        for (std::size_t x = 0; x < l.w; ++x)
            for (std::size_t k = 0; k < l.s; ++k)
                ASSERT_EQ(r[48 + x * l.s + k], k < l.h ? 0x0F : 0x00) << "column " << x << " byte " << k;
    }
    const ThumbnailGeometry hoop1 = *FindThumbnailGeometry(1);
    EXPECT_EQ(ThumbnailScale(hoop1, 0, 0, 0, 0), 11);        // 17 × 100 / 150
    EXPECT_EQ(ThumbnailScale(hoop1, 200, 0, 200, 0), 16);    // eight tenths: 17 × 100 / 102
    EXPECT_EQ(ThumbnailScale(hoop1, 0, 250, 0, 200), 17);    // nine tenths: as is
}

TEST(ThumbnailDrawing, FirstStitchAfterAMoveLeavesNoLineAndOnlyAMoveOf119IsSewn) {
    EXPECT_TRUE(DrawnPixels(Hoop1().stitch(22, 0).end()).empty());
    // 187 / 11 = 17, then 209 / 11 = 19: the end pixel of the line is left out.
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(22, 0).stitch(22, 0).end()), (Drawn{{{17, 15}, k10}, {{18, 15}, k10}}));
    // y grows upward: a stitch of +22 goes two rows up the canvas, stored nearer the column's end.
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).stitch(0, 22).end()), (Drawn{{{15, 15}, k10}, {{15, 14}, k10}}));
    // From pixel (15, 15): to (25, 15), to (15, 25), to (4, 14); then one pixel of the stitch.
    EXPECT_EQ(DrawnPixels(Hoop1().move(119, 0).stitch(11, 0).end()).size(), 11u);
    EXPECT_EQ(DrawnPixels(Hoop1().move(0, -119).stitch(11, 0).end()).size(), 11u);
    EXPECT_EQ(DrawnPixels(Hoop1().move(-119, 5).stitch(11, 0).end()).size(), 12u);
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).moveSecondForm(-119, 0).end()).size(), 11u);
    // Any other step lifts the pen: the stitch after it only moves, the one after that draws.
    EXPECT_TRUE(DrawnPixels(Hoop1().stitch(0, 0).move(118, 0).stitch(11, 0).end()).empty());
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).move(0, 0).stitch(11, 0).stitch(11, 0).end()), (Drawn{{{16, 15}, k10}}));
}

// Walks that drift off every edge of each hoop's canvas and back, stitches short and long: the
// pixels of lines to each position divided by the scale, as lineTo draws them.
TEST(ThumbnailDrawing, PixelsAreThoseOfEveryPositionDividedByTheScale) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> shortStep(-30, 30), longStep(-127, 127);
    for (std::uint8_t hoop = 0; hoop < 6; ++hoop) {
        const ThumbnailGeometry g = *FindThumbnailGeometry(hoop);
        const int s = ThumbnailScale(g, 0, 0, 0, 0);
        DesignBuilder design = Hoop1().hoopCode(hoop);
        Raster expected(g.width, g.height, ThumbnailCodeColor(0x0F));
        expected.setPen(ThumbnailCodeColor(k10));
        int x = g.width / 2 * s, y = g.height / 2 * s;
        for (int n = 0; n < 4000; ++n) {
            const int drift = n / 500 % 4 < 2 ? 6 : -6;  // right and up, then back beyond the start
            const auto step = [&] { return std::clamp((n % 10 ? shortStep(random) : longStep(random)) + drift, -127, 127); };
            const int dx = step(), dy = step();
            design.stitch(dx, dy);
            x += dx;
            y -= dy;
            n == 0 ? expected.moveTo(x / s, y / s) : expected.lineTo(x / s, y / s);
        }
        const ThumbnailRecord r = MakeThumbnailRecord(design.end().bytes()).value_or(ThumbnailRecord{});
        ASSERT_EQ(r.size(), 60u + static_cast<std::size_t>(g.width * g.columnSize));
        for (int px = 0; px < g.width; ++px)
            for (int py = 0; py < g.height; ++py)
                ASSERT_EQ(r[static_cast<std::size_t>(48 + px * g.columnSize + g.height - 1 - py)],
                          ThumbnailColorCode(expected.pixel(px, py)))
                    << "hoop " << int{hoop} << " pixel " << px << "," << py;
    }
}

TEST(ThumbnailDrawing, ColoursOutsideTheThreadTableOrTheColourTableDrawCode0) {
    const auto lineCode = [](DesignBuilder design) {
        Drawn drawn = DrawnPixels(design.stitch(0, 0).stitch(11, 0).end());
        return drawn.size() == 1 ? drawn.begin()->second : 0xFF;
    };
    EXPECT_EQ(lineCode(Hoop1({78})), 0x0E);
    EXPECT_EQ(lineCode(Hoop1({79})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({0xFFFFFFFF})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({5}).colorCount(0x40000000).colorChange()), 0x00) << "a table past the image";
    for (int code = 0; code < 256; ++code)  // each code's drawing colour reads back as the code
        EXPECT_EQ(ThumbnailColorCode(ThumbnailCodeColor(static_cast<std::uint8_t>(code))), code);
}

// Nothing for another hoop, a header cut short or a file that cannot be read. A stream without
// an end record stops where the bytes do: in a move's parameter, at an odd last byte, or at once.
TEST(ThumbnailRecord, BadInput) {
    EXPECT_TRUE(BuildThumbnail(Hoop1().hoopCode(6).end().bytes()).empty());
    EXPECT_TRUE(BuildThumbnail(std::vector<std::uint8_t>(115)).empty());
    test::TestDrives drives;
    const std::string card = drives.addCard('E');
    drives.write(card + "EMPTY.kxd", {});
    EXPECT_TRUE(BuildThumbnailFromFile(card + "EMPTY.kxd").empty());
    EXPECT_TRUE(BuildThumbnailFromFile(card + "MISSING.kxd").empty());
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).stitch(11, 0).control(0x02)).size(), 1u);
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).stitch(11, 0).trailing({0x05})).size(), 1u);
    EXPECT_TRUE(DrawnPixels(Hoop1().stitch(0, 0).stitch(11, 0).end().stitchOffset(100000)).empty());
}

// The main dialog's canvas at 96 dpi, filled with a colour no render uses. Hoop 1 (C) on it: a
// 92 × 98 field, 500 stitch units each way, the origin at pixel (46, 49); 50 units are 9.2
// pixels across and 9.8 down. Thread 10 is red, 3 yellow.
constexpr int kW = 92, kH = 128;
constexpr Color kBefore = Rgb(1, 2, 3), kRed = Rgb(0xFF, 0x00, 0x00), kYellow = Rgb(0xFF, 0xFF, 0x17);

struct Preview {
    explicit Preview(const std::vector<std::uint8_t>& design) : result(RenderPreviewPixels(design, canvas)) {}
    // n pixels from (x, y) on, right or down: White, Red, Yellow, blacK, Grey, '.' as before, '?'.
    std::string at(int x, int y, int n, bool down = false) const {
        std::string text;
        static constexpr Color kKnown[] = {kWhite, kRed, kYellow, kBlack, kLightGray, kBefore};
        for (int i = 0; i < n; ++i)
            text += "WRYKG.?"[std::ranges::find(kKnown, canvas.pixel(down ? x : x + i, down ? y + i : y)) - kKnown];
        return text;
    }
    std::size_t count(Color c) const { return static_cast<std::size_t>(std::ranges::count(canvas.pixels(), c)); }
    Raster canvas{kW, kH, kBefore};
    std::optional<PreviewResult> result;
};
std::string Times(char letter, int n) { return std::string(static_cast<std::size_t>(n), letter); }

// The field is white; below it grey, but for the outer column, which keeps what it held.
TEST(PreviewHoop, LabelAndFieldFollowTheStoredOrClassifiedHoop) {
    const struct { DesignBuilder design; const char* label; int fieldHeight; } cases[] = {
        {Hoop1(), "Hoop Size  C", kW + 6},
        {Hoop1().hoopCode(2), "Hoop Size  B", kH},
        {Hoop1().hoopCode(3).extents(900, 900, 900, 900), "Hoop Size  A(F)", kW + 6},
        {Hoop1().hoopCode(0).extents(250, 250, 250, 250), "Hoop Size  C", kW + 6},
        {Hoop1().hoopCode(7).extents(251, 0, 0, 0), "Hoop Size  A(F)", kW + 6},
        {Hoop1().hoopCode(0).extents(640, 0, 0, 0), "Hoop Size  B", kH},
        {Hoop1().hoopCode(0).extents(701, 0, 0, 0), "Hoop Size  --", kH},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Preview p(DesignBuilder(c.design).end().bytes());
        ASSERT_TRUE(p.result);
        EXPECT_EQ(p.result->label, c.label);
        ASSERT_EQ(p.result->fieldHeight, c.fieldHeight);
        for (int y = 0; y < kH; ++y)
            ASSERT_EQ(p.at(0, y, kW), y < c.fieldHeight ? Times('W', kW) : "." + Times('G', kW - 1)) << "row " << y;
    }
}

TEST(PreviewHoop, UnreadableDesignsLeaveTheCanvasUntouched) {
    const std::vector<std::uint8_t> refused[] = {
        {}, std::vector<std::uint8_t>(115),  // shorter than the header
        Hoop1().colorCount(0xFFFF).end().bytes(), Hoop1().colorCount(0x00018000).end().bytes(),  // counts -1, -32768
        Hoop1({1, 2}).colorCount(500).end().bytes(),                                              // beyond the bytes
        Hoop1().stitch(1, 1).end().stitchOffset(0x7FFFFFFF).bytes(),
    };
    for (const auto& design : refused) {
        const Preview p(design);
        EXPECT_FALSE(p.result);
        EXPECT_EQ(p.count(kBefore), std::size_t{kW} * kH);
    }
    // Only the low 16 bits count, and a stream that starts at the very end is just empty.
    EXPECT_TRUE(Preview(Hoop1({1, 2}).colorCount(0x00050002).end().bytes()).result);
    EXPECT_TRUE(Preview(Hoop1().stitchOffset(static_cast<std::uint32_t>(Hoop1().bytes().size())).bytes()).result);
}

// Far left of the hoop is column 0; far below it, the field's last row, 98.
TEST(PreviewDrawing, PositionsBeyondTheFieldArePinnedToItsEdge) {
    DesignBuilder far = Hoop1();
    for (int n = 0; n < 3; ++n) far.move(-127, 0);
    for (int n = 0; n < 4; ++n) far.stitch(0, -127);
    const Preview pinned(far.end().bytes());
    EXPECT_EQ(pinned.at(0, 0, kH, true), Times('W', 49) + Times('R', 49) + Times('.', 30));
    EXPECT_EQ(pinned.count(kRed), 49u);
}

// Rows of 30 pixels from x = 45: stitches of 50 from the origin cover 9 pixels each, a move of
// 50 up goes to row 39; colour changes without a displacement stay on the pixel.
TEST(PreviewDrawing, ColourListCodesAndTheRecordCount) {
    const auto three = [](std::initializer_list<std::uint32_t> colors) {
        return Hoop1(colors).stitch(50, 0).colorChange().stitch(50, 0).colorChange().stitch(50, 0).end();
    };
    // 0x80 0x03 and 0x80 0x0F change the colour and move by their parameter, 0x20 and 0x80 where
    // the needle is; 0x30 skips its parameter; others do nothing.
    const DesignBuilder odd = Hoop1({10, 3}).control(0x03).record(50, 0).stitch(50, 0)
                                  .control(0x0F).record(0, -50).stitch(-50, 0).end();
    const DesignBuilder here = Hoop1({10, 3}).control(0x20).stitch(50, 0).control(0x30).record(127, 127)
                                   .control(0x06).control(0x11).control(0x80).stitch(50, 0).end();
    const struct { DesignBuilder design; int y; const char* row; } cases[] = {
        {three({10, 3}), 49, "WRRRRRRRRRYYYYYYYYYRRRRRRRRRWW"},  // the list in turn, repeating
        {three({3}), 49, "WYYYYYYYYYYYYYYYYYYYYYYYYYYYWW"},
        {three({}), 49, "WKKKKKKKKKKKKKKKKKKKKKKKKKKKWW"},
        {three({0x00010000, 79, 0xFFFF}), 49, "WKKKKKKKKKKKKKKKKKKKKKKKKKKKWW"},  // low 16 bits: 0, 79, 65535
        {odd, 49, "WWWWWWWWWWYYYYYYYYYWWWWWWWWWWW"},
        {odd, 58, "WWWWWWWWWWWRRRRRRRRRWWWWWWWWWW"},
        {here, 49, "WYYYYYYYYYRRRRRRRRRWWWWWWWWWWW"},
        // At most recordCount - 1 steps, a move with its parameter one; or up to the bytes' end.
        {Hoop1().stitch(50, 0).stitch(50, 0).end().recordCount(2), 49, "WRRRRRRRRRWWWWWWWWWWWWWWWWWWWW"},
        {Hoop1().move(0, 50).stitch(50, 0).stitch(50, 0).end().recordCount(3), 39, "WRRRRRRRRRWWWWWWWWWWWWWWWWWWWW"},
        {Hoop1().stitch(50, 0).end().recordCount(0), 49, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"},
        {Hoop1().stitch(50, 0).end().recordCount(INT32_MIN), 49, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"},
        {Hoop1().stitch(50, 0).recordCount(1000).trailing({0x32}), 49, "WRRRRRRRRRWWWWWWWWWWWWWWWWWWWW"},
        {Hoop1().stitch(50, 0).control(0x02).recordCount(1000), 49, "WRRRRRRRRRWWWWWWWWWWWWWWWWWWWW"},
    };
    for (const auto& c : cases) EXPECT_EQ(Preview(c.design.bytes()).at(45, c.y, 30), c.row) << c.row;
}

}  // namespace
}  // namespace kx
