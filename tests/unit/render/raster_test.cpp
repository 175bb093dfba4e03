// The raster against pixels GDI set for the same calls, and the rules its lines keep: end point
// left out, polylines joined, clipping that changes no pixel on the canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "render/raster.h"

namespace kx {
namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels PixelsOf(const Raster& r, Color color) {
    Pixels set;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x)
            if (r.pixel(x, y) == color) set.insert({x, y});
    return set;
}

Pixels Line(int width, int height, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    Raster r(width, height, kWhite);
    r.moveTo(x0, y0);
    r.lineTo(x1, y1);
    return PixelsOf(r, kBlack);
}

struct GdiLine {
    int x1, y1;
    Pixels pixels;
};

// Recorded from LineTo on a 64 × 64 compatible bitmap, from (32, 32), width-0 black pen: the
// lines that pass exactly between two pixels, one per octant, and two longer ones.
TEST(RasterLine, TiesFallWhereGdiPutsThemInEveryOctant) {
    const std::vector<GdiLine> lines{
        {36, 34, {{32, 32}, {33, 32}, {34, 33}, {35, 33}}},
        {28, 34, {{31, 32}, {32, 32}, {29, 33}, {30, 33}}},
        {36, 30, {{35, 30}, {33, 31}, {34, 31}, {32, 32}}},
        {28, 30, {{29, 30}, {30, 31}, {31, 31}, {32, 32}}},
        {34, 36, {{32, 32}, {32, 33}, {33, 34}, {33, 35}}},
        {30, 36, {{32, 32}, {31, 33}, {31, 34}, {30, 35}}},
        {34, 28, {{33, 29}, {33, 30}, {32, 31}, {32, 32}}},
        {30, 28, {{30, 29}, {31, 30}, {31, 31}, {32, 32}}},
        {38, 33, {{32, 32}, {33, 32}, {34, 32}, {35, 32}, {36, 33}, {37, 33}}},
        {26, 31, {{27, 31}, {28, 31}, {29, 31}, {30, 32}, {31, 32}, {32, 32}}},
    };
    for (const GdiLine& line : lines)
        EXPECT_EQ(Line(64, 64, 32, 32, line.x1, line.y1), line.pixels) << "to " << line.x1 << "," << line.y1;
}

TEST(RasterLine, EndPointIsLeftOutAndTheNextLineStartsThere) {
    Raster r(10, 10, kWhite);
    r.moveTo(1, 1);
    r.lineTo(5, 1);
    EXPECT_EQ(PixelsOf(r, kBlack), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}}));

    r.setPen(kLightGray);
    r.lineTo(5, 4);
    EXPECT_EQ(PixelsOf(r, kLightGray), (Pixels{{5, 1}, {5, 2}, {5, 3}}));
    EXPECT_EQ(r.pixel(5, 4), kWhite);

    r.moveTo(8, 8);
    r.lineTo(8, 8);
    EXPECT_EQ(r.pixel(8, 8), kWhite) << "a line to its own start sets nothing";
}

// A line's pixels do not depend on its direction, except that each direction leaves out its
// own end: checked across the canvas edges with coordinates up to the 28-bit bound.
TEST(RasterLine, ReversedLineSetsTheSamePixelsExceptItsEnd) {
    std::mt19937 random(11);
    for (std::int64_t reach : {std::int64_t{60}, std::int64_t{5000}, kRasterCoordLimit}) {
        std::uniform_int_distribution<std::int64_t> coord(-reach, reach);
        for (int n = 0; n < 400; ++n) {
            const std::int64_t x0 = coord(random), y0 = coord(random) / 2;
            const std::int64_t x1 = coord(random) / 3, y1 = coord(random);
            Pixels forward = Line(46, 58, x0, y0, x1, y1), backward = Line(46, 58, x1, y1, x0, y0);
            if (x1 >= 0 && x1 < 46 && y1 >= 0 && y1 < 58) forward.insert({static_cast<int>(x1), static_cast<int>(y1)});
            if (x0 >= 0 && x0 < 46 && y0 >= 0 && y0 < 58) backward.insert({static_cast<int>(x0), static_cast<int>(y0)});
            ASSERT_EQ(forward, backward) << x0 << "," << y0 << " - " << x1 << "," << y1;
        }
    }
}

TEST(RasterLine, ClippingKeepsExactlyThePixelsOnTheCanvas) {
    constexpr int kMargin = 90;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> coord(-kMargin + 1, 40 + kMargin - 2);
    for (int n = 0; n < 600; ++n) {
        const int x0 = coord(random), y0 = coord(random), x1 = coord(random), y1 = coord(random);
        // The same line whole on a canvas that holds it, then cut to a 40 × 30 window.
        Pixels whole = Line(40 + 2 * kMargin, 30 + 2 * kMargin, x0 + kMargin, y0 + kMargin, x1 + kMargin, y1 + kMargin);
        Pixels window;
        for (auto [x, y] : whole)
            if (x >= kMargin && x < kMargin + 40 && y >= kMargin && y < kMargin + 30) window.insert({x - kMargin, y - kMargin});
        ASSERT_EQ(Line(40, 30, x0, y0, x1, y1), window) << x0 << "," << y0 << " - " << x1 << "," << y1;
    }
}

TEST(RasterLine, PointsBeyondTheCoordinateBoundArePulledIn) {
    EXPECT_EQ(Line(4, 3, -(std::int64_t{1} << 40), 1, std::int64_t{1} << 40, 1),
              (Pixels{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_TRUE(Line(4, 3, INT64_MIN, INT64_MIN, INT64_MAX, INT64_MIN).empty());
}

TEST(RasterFill, RectangleExcludesRightAndBottomAndIsClipped) {
    Raster r(6, 5, kWhite);
    r.fillRect(1, 2, 4, 4, kBlack);
    EXPECT_EQ(PixelsOf(r, kBlack), (Pixels{{1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}}));

    r.fillRect(-100, -100, 1, 100, kLightGray);
    EXPECT_EQ(PixelsOf(r, kLightGray).size(), 5u);
    r.fillRect(5, 4, 100, 100, kBlack);
    EXPECT_EQ(r.pixel(5, 4), kBlack);
    r.fillRect(4, 0, 2, 5, kLightGray);  // inverted: nothing
    EXPECT_EQ(PixelsOf(r, kLightGray).size(), 5u);
}

TEST(RasterSize, SidesAreCutToTheirBounds) {
    Raster negative(-3, 7, kWhite);
    EXPECT_EQ(negative.width(), 0);
    EXPECT_TRUE(negative.pixels().empty());
    negative.lineTo(10, 10);
    negative.fillRect(0, 0, 10, 10, kBlack);

    Raster huge(kMaxRasterSide + 1, 1, kWhite);
    EXPECT_EQ(huge.width(), kMaxRasterSide);
    EXPECT_FALSE(huge.contains(kMaxRasterSide, 0));
    EXPECT_TRUE(huge.contains(kMaxRasterSide - 1, 0));
}

}  // namespace
}  // namespace kx
