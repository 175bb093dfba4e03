// Thumbnail bytes and preview pixels; render_gdi_test compares lines and thumbnails with GDI itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "render/preview.h"
#include "render/raster.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "support/thumbnail_expected.h"

namespace kx {
namespace {

using test::DesignBuilder;

// Hoop 1: 30 × 30 pixels in columns of 32 bytes, 11 units a pixel from (15, 15); thread 10 is code 0x14.
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
TEST(ThumbnailRecord, LayoutOfEveryHoop) {
    const struct { std::uint8_t hoop; std::size_t length; std::uint8_t letter, companion; } layouts[] = {
        {0, 1660, 'B', 7}, {1, 1020, 0xFF, 0}, {2, 2460, 0, 0x80}, {3, 1900, 'Q', 1}, {4, 1660, 1, 'Q'}, {5, 1020, 'Z', 'Z'},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(int{l.hoop});
        const auto design = DesignBuilder().colors({1}).hoopCode(l.hoop).pairMark(l.letter, l.companion).end();
        const ThumbnailRecord r = MakeThumbnailRecord(design.bytes()).value_or(ThumbnailRecord{});
        ASSERT_EQ(r.size(), l.length);
        EXPECT_EQ(r, test::WrittenThumbnail(l.hoop, l.letter, l.companion));
    }
}

// The first stitch after a move leaves no line; the end pixel of a line is left out (187 / 11 = 17,
// then 209 / 11 = 19); y grows upward, stored nearer the column's end.
TEST(ThumbnailDrawing, LinesBetweenStitchesWithYUp) {
    EXPECT_TRUE(DrawnPixels(Hoop1().stitch(22, 0).end()).empty());
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(22, 0).stitch(22, 0).end()), (Drawn{{{17, 15}, k10}, {{18, 15}, k10}}));
    EXPECT_EQ(DrawnPixels(Hoop1().stitch(0, 0).stitch(0, 22).end()), (Drawn{{{15, 15}, k10}, {{15, 14}, k10}}));
    // Nothing for a hoop without a thumbnail or a header cut short.
    EXPECT_EQ(MakeThumbnailRecord(Hoop1().hoopCode(6).end().bytes()), std::nullopt);
    EXPECT_EQ(MakeThumbnailRecord(std::vector<std::uint8_t>(115)), std::nullopt);
}

// The dialog's canvas at 96 dpi, in a colour no render uses. Hoop C: a 92 × 98 field for 500 units
// each way from (46, 49), 50 units 9.2 pixels across and 9.8 down. Thread 10 is red, 3 yellow.
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
    Raster canvas{kW, kH, kBefore};
    std::optional<PreviewResult> result;
};
std::string Times(char letter, int n) { return std::string(static_cast<std::size_t>(n), letter); }

// Rows of 30 pixels from x = 45: stitches of 50 from the origin cover 9 pixels each, a move of
// 50 up goes to row 39; colour changes without a displacement stay on the pixel.
TEST(PreviewDrawing, ColourListCodesRecordCountFieldsEdgeAndUnreadableDesigns) {
    const auto three = [](std::initializer_list<std::uint32_t> colors) {
        return Hoop1(colors).stitch(50, 0).colorChange().stitch(50, 0).colorChange().stitch(50, 0).end();
    };
    // Codes 3 and 0x0F change colour and move, 0x20 and 0x80 change it in place; 0x30 skips a record.
    const DesignBuilder odd = Hoop1({10, 3}).control(0x03).record(50, 0).stitch(50, 0)
                                  .control(0x0F).record(0, -50).stitch(-50, 0).end();
    const DesignBuilder here = Hoop1({10, 3}).control(0x20).stitch(50, 0).control(0x30).record(127, 127)
                                   .control(0x06).control(0x11).control(0x80).stitch(50, 0).end();
    const std::string one = "WRRRRRRRRR" + Times('W', 20), none = Times('W', 30);
    const auto s = [] { return Hoop1().stitch(50, 0); };
    const struct { DesignBuilder design; int y; std::string row; } cases[] = {
        {three({10, 3}), 49, "WRRRRRRRRRYYYYYYYYYRRRRRRRRRWW"}, {three({3}), 49, "W" + Times('Y', 27) + "WW"},  // the list in turn
        {three({}), 49, "W" + Times('K', 27) + "WW"}, {three({0x00010000, 79, 0xFFFF}), 49, "W" + Times('K', 27) + "WW"},  // 0, 79, 65535
        {odd, 49, "WWWWWWWWWWYYYYYYYYYWWWWWWWWWWW"}, {odd, 58, "WWWWWWWWWWWRRRRRRRRRWWWWWWWWWW"}, {here, 49, "WYYYYYYYYYRRRRRRRRRWWWWWWWWWWW"},
        // At most recordCount - 1 steps, a move with its parameter one; or up to the bytes' end.
        {s().stitch(50, 0).end().recordCount(2), 49, one}, {Hoop1().move(0, 50).stitch(50, 0).stitch(50, 0).end().recordCount(3), 39, one},
        {s().end().recordCount(0), 49, none}, {s().end().recordCount(INT32_MIN), 49, none}, {s().recordCount(1000).trailing({0x32}), 49, one},
        {s().control(0x02).recordCount(1000), 49, one},
    };
    for (const auto& c : cases) EXPECT_EQ(Preview(c.design.bytes()).at(45, c.y, 30), c.row) << c.row;
    // Far left of the hoop is column 0; far below it, the field's last row, 98.
    DesignBuilder far = Hoop1();
    for (int n = 0; n < 7; ++n) n < 3 ? far.move(-127, 0) : far.stitch(0, -127);
    EXPECT_EQ(Preview(far.end().bytes()).at(0, 0, kH, true), Times('W', 49) + Times('R', 49) + Times('.', 30));
    // Designs that cannot be read (short, colour counts wrong, stream beyond the file): canvas untouched.
    const std::vector<std::uint8_t> refused[] = {
        {}, std::vector<std::uint8_t>(115), Hoop1().colorCount(0xFFFF).end().bytes(), Hoop1().colorCount(0x00018000).end().bytes(),
        Hoop1({1, 2}).colorCount(500).end().bytes(), Hoop1().stitch(1, 1).end().stitchOffset(0x7FFFFFFF).bytes(),
    };
    for (const auto& design : refused) {
        const Preview p(design);
        EXPECT_TRUE(!p.result && std::ranges::count(p.canvas.pixels(), kBefore) == kW * kH) << design.size();
    }
    // Only the low 16 bits count, and a stream that starts at the very end is just empty.
    EXPECT_TRUE(Preview(Hoop1({1, 2}).colorCount(0x00050002).end().bytes()).result);
    EXPECT_TRUE(Preview(Hoop1().stitchOffset(static_cast<std::uint32_t>(Hoop1().bytes().size())).bytes()).result);
}

}  // namespace
}  // namespace kx
