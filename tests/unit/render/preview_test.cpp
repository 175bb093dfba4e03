// The preview drawing: hoop labels and fields, what the canvas keeps, the pixel mapping pinned
// to the field, the colour list in turn, and the designs it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/preview.h"
#include "support/design_builder.h"

namespace kx {
namespace {

using test::DesignBuilder;

// The main dialog's canvas at 96 dpi, filled with a colour no render uses.
constexpr int kW = 92, kH = 128;
constexpr Color kBefore = Rgb(1, 2, 3);
constexpr Color kRed = Rgb(0xFF, 0x00, 0x00), kYellow = Rgb(0xFF, 0xFF, 0x17);

// Hoop C on the 92 × 128 canvas: a 92 × 98 field, 500 stitch units each way, the origin at
// pixel (46, 49); 50 units are 9.2 pixels across and 9.8 down.
DesignBuilder HoopC(std::initializer_list<std::uint32_t> colors = {10}) {
    DesignBuilder b;
    b.colors(colors).hoopCode(1);
    return b;
}

struct Rendered {
    Raster canvas{kW, kH, kBefore};
    std::optional<PreviewResult> result;
};

Rendered Render(const std::vector<std::uint8_t>& design) {
    Rendered r;
    r.result = RenderPreviewPixels(design, r.canvas);
    return r;
}

std::vector<Color> Row(const Raster& canvas, int y, int x0, int x1) {
    std::vector<Color> colors;
    for (int x = x0; x < x1; ++x) colors.push_back(canvas.pixel(x, y));
    return colors;
}

std::size_t CountOf(const Raster& canvas, Color color) {
    std::size_t n = 0;
    for (Color c : canvas.pixels()) n += c == color;
    return n;
}

struct LabelCase {
    DesignBuilder design;
    std::string label;
    int fieldHeight;
};

TEST(PreviewHoop, LabelAndFieldFollowTheStoredOrClassifiedHoop) {
    const std::vector<LabelCase> cases{
        {HoopC(), "Hoop Size  C", kW + 6},
        {HoopC().hoopCode(2), "Hoop Size  B", kH},
        {HoopC().hoopCode(3).extents(900, 900, 900, 900), "Hoop Size  A(F)", kW + 6},
        {HoopC().hoopCode(0).extents(250, 250, 250, 250), "Hoop Size  C", kW + 6},
        {HoopC().hoopCode(7).extents(251, 0, 0, 0), "Hoop Size  A(F)", kW + 6},
        {HoopC().hoopCode(0).extents(640, 0, 0, 0), "Hoop Size  B", kH},
        {HoopC().hoopCode(0).extents(701, 0, 0, 0), "Hoop Size  --", kH},
    };
    for (LabelCase c : cases) {
        Rendered r = Render(c.design.end().bytes());
        ASSERT_TRUE(r.result);
        EXPECT_EQ(r.result->label, c.label);
        EXPECT_EQ(r.result->fieldHeight, c.fieldHeight) << c.label;
    }
}

TEST(PreviewCanvas, FieldIsWhiteBelowItGreyAndTheOuterColumnKeptBelowTheField) {
    Rendered r = Render(HoopC().end().bytes());
    ASSERT_TRUE(r.result);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Color expected = y < kW + 6 ? kWhite : x == 0 ? kBefore : kLightGray;
            ASSERT_EQ(r.canvas.pixel(x, y), expected) << x << "," << y;
        }

    Raster wide(60, 40, kBefore);  // a field taller than the canvas is cut to it
    ASSERT_EQ(RenderPreviewPixels(HoopC().end().bytes(), wide)->fieldHeight, 66);
    EXPECT_EQ(CountOf(wide, kWhite), 60u * 40u);
}

TEST(PreviewCanvas, UnreadableDesignsLeaveItUntouched) {
    std::vector<std::uint8_t> cut = HoopC().stitch(5, 5).end().bytes();
    cut.resize(115);
    const std::vector<std::vector<std::uint8_t>> refused{
        {},
        cut,
        HoopC().colorCount(0xFFFF).end().bytes(),              // -1 as a 16-bit count
        HoopC().colorCount(0x00018000).end().bytes(),          // -32768
        HoopC({1, 2}).colorCount(500).end().bytes(),            // table beyond the bytes
        HoopC().stitch(1, 1).end().stitchOffset(0x7FFFFFFF).bytes(),
    };
    for (const auto& design : refused) {
        Rendered r = Render(design);
        EXPECT_FALSE(r.result);
        EXPECT_EQ(CountOf(r.canvas, kBefore), std::size_t{kW} * kH);
    }
    // Only the low 16 bits count, and a stream that starts at the very end is just empty.
    EXPECT_TRUE(Render(HoopC({1, 2}).colorCount(0x00050002).end().bytes()).result);
    std::vector<std::uint8_t> bare = HoopC().bytes();
    EXPECT_TRUE(Render(DesignBuilder().colors({10}).stitchOffset(static_cast<std::uint32_t>(bare.size())).bytes()).result);
}

TEST(PreviewDrawing, StitchesDrawFromTheOriginAndMovesOnlyMove) {
    Rendered r = Render(HoopC().stitch(50, 0).move(0, -50).stitch(50, 0).end().bytes());
    EXPECT_EQ(Row(r.canvas, 49, 45, 56), (std::vector<Color>{kWhite, kRed, kRed, kRed, kRed, kRed, kRed,
                                                             kRed, kRed, kRed, kWhite}));
    // The move went 9.8 rows down without a trace; from there the stitch drew 55..63.
    EXPECT_EQ(Row(r.canvas, 58, 54, 65), (std::vector<Color>{kWhite, kRed, kRed, kRed, kRed, kRed, kRed,
                                                             kRed, kRed, kRed, kWhite}));
    EXPECT_EQ(CountOf(r.canvas, kRed), 18u);
}

TEST(PreviewDrawing, PositionsBeyondTheFieldArePinnedToItsEdge) {
    DesignBuilder design = HoopC();
    for (int n = 0; n < 3; ++n) design.move(-127, 0);   // far left of the hoop: column 0
    for (int n = 0; n < 4; ++n) design.stitch(0, -127);  // far below: the field's last row is 98
    Rendered r = Render(design.end().bytes());
    for (int y = 0; y < kH; ++y)
        EXPECT_EQ(r.canvas.pixel(0, y), y >= 49 && y < 98 ? kRed : y < 98 ? kWhite : kBefore) << y;
    EXPECT_EQ(CountOf(r.canvas, kRed), 49u);
}

TEST(PreviewColours, ChangesTakeTheListInTurnAndRepeat) {
    // Changes without a displacement stay on the pixel; each stitch of 50 covers 9 pixels.
    Rendered two = Render(HoopC({10, 3}).stitch(50, 0).colorChange().stitch(50, 0).colorChange().stitch(50, 0).end().bytes());
    EXPECT_EQ(Row(two.canvas, 49, 46, 73), [] {
        std::vector<Color> v(9, kRed);
        v.insert(v.end(), 9, kYellow);
        v.insert(v.end(), 9, kRed);
        return v;
    }());

    Rendered one = Render(HoopC({3}).stitch(50, 0).colorChange().stitch(50, 0).end().bytes());
    EXPECT_EQ(CountOf(one.canvas, kYellow), 18u);
    Rendered none = Render(HoopC({}).stitch(50, 0).colorChange().stitch(50, 0).end().bytes());
    EXPECT_EQ(CountOf(none.canvas, kBlack), 18u);
    Rendered unknown = Render(HoopC({0x00010000, 79, 0xFFFF}).stitch(50, 0).colorChange().stitch(50, 0)
                                  .colorChange().stitch(50, 0).end().bytes());
    EXPECT_EQ(CountOf(unknown.canvas, kBlack), 27u);
}

TEST(PreviewColours, OddCodesCarryADisplacementAndCodes20And80DoNot) {
    // 0x80 0x03 and 0x80 0x0F move by their parameter; 0x20 and 0x80 change where the needle is.
    Rendered odd = Render(HoopC({10, 3}).control(0x03).record(50, 0).stitch(50, 0)
                              .control(0x0F).record(0, -50).stitch(-50, 0).end().bytes());
    EXPECT_EQ(Row(odd.canvas, 49, 54, 65), (std::vector<Color>{kWhite, kYellow, kYellow, kYellow, kYellow, kYellow,
                                                               kYellow, kYellow, kYellow, kYellow, kWhite}));
    EXPECT_EQ(CountOf(odd.canvas, kRed), 9u);  // the second change came back to the first colour
    EXPECT_EQ(odd.canvas.pixel(64, 58), kRed);

    Rendered here = Render(HoopC({10, 3}).control(0x20).stitch(50, 0).control(0x80).stitch(50, 0).end().bytes());
    EXPECT_EQ(CountOf(here.canvas, kYellow), 9u);
    EXPECT_EQ(CountOf(here.canvas, kRed), 9u);
    EXPECT_EQ(here.canvas.pixel(46, 49), kYellow);
}

TEST(PreviewWalk, ParameterOf30IsSkippedAndOtherCodesIgnored) {
    Rendered r = Render(HoopC().control(0x30).record(127, 127).control(0x06).control(0x11).stitch(50, 0).end().bytes());
    EXPECT_EQ(CountOf(r.canvas, kRed), 9u);
    EXPECT_EQ(r.canvas.pixel(46, 49), kRed);
}

TEST(PreviewWalk, StepsAreLimitedByTheRecordCount) {
    const auto redAfter = [](DesignBuilder design) { return CountOf(Render(design.bytes()).canvas, kRed); };
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).stitch(50, 0).end()), 18u);
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).stitch(50, 0).end().recordCount(2)), 9u);
    // A move and its parameter are one step.
    EXPECT_EQ(redAfter(HoopC().move(0, 50).stitch(50, 0).stitch(50, 0).end().recordCount(3)), 9u);
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).end().recordCount(0)), 0u);
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).end().recordCount(INT32_MIN)), 0u);
    // Without an end record the walk ends with the bytes, an odd last byte unread.
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).recordCount(1000).trailing({0x32})), 9u);
    EXPECT_EQ(redAfter(HoopC().stitch(50, 0).control(0x02).recordCount(1000)), 9u);
}

}  // namespace
}  // namespace kx
