// The thumbnail record byte for byte: layout per hoop, the scale, the pen rules of the walk,
// the colour codes, and the one current record of the write paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "design/byte_order.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using Drawn = std::map<std::pair<int, int>, std::uint8_t>;

std::uint32_t BE32(const ThumbnailRecord& r, std::size_t at) { return ReadU32BE(r, at).value_or(0xDEADBEEF); }

// Every pixel that is not background, by (x, y) with y counted from the top row.
Drawn DrawnPixels(const ThumbnailRecord& r) {
    const std::size_t size = r.size();
    const int h = static_cast<int>(BE32(r, size - 12)), w = static_cast<int>(BE32(r, size - 8));
    const int s = static_cast<int>(BE32(r, size - 4));
    Drawn drawn;
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            if (std::uint8_t code = r[48 + x * s + (h - 1 - y)]; code != 0x0F) drawn[{x, y}] = code;
    return drawn;
}

ThumbnailRecord Make(const DesignBuilder& design) {
    auto record = MakeThumbnailRecord(design.bytes());
    EXPECT_TRUE(record.has_value());
    return record.value_or(ThumbnailRecord{});
}

// Hoop 1 with zero extents: 11 stitch units a pixel, the origin at pixel (15, 15).
DesignBuilder Hoop1(std::initializer_list<std::uint32_t> colors = {5}) {
    DesignBuilder b;
    b.colors(colors).hoopCode(1).extents(0, 0, 0, 0);
    return b;
}
constexpr std::uint8_t kEntry5 = 0x1D, kEntry6 = 0x1C, kEntry78 = 0x0E;

struct Layout {
    std::uint32_t hoop;
    std::uint32_t w, h, s;
    std::size_t length;
};

TEST(ThumbnailRecord, LayoutOfEveryHoop) {
    const Layout layouts[] = {
        {0, 40, 40, 40, 1660}, {1, 30, 30, 32, 1020}, {2, 40, 58, 60, 2460},
        {3, 46, 40, 40, 1900}, {4, 40, 40, 40, 1660}, {5, 30, 30, 32, 1020},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.hoop);
        ThumbnailRecord r = Make(DesignBuilder().colors({1}).hoopCode(l.hoop).stitch(3, 3).end());
        ASSERT_EQ(r.size(), l.length);
        EXPECT_EQ(std::string(r.begin(), r.begin() + 8), "VORLEXB1");
        EXPECT_EQ(r[8], 0x00);
        EXPECT_EQ(r[9], 0x1A);
        EXPECT_EQ(BE32(r, 12), l.hoop);
        EXPECT_EQ(BE32(r, 20), l.w * l.s + 12);
        for (std::size_t i : {10u, 11u, 16u, 17u, 18u, 19u}) EXPECT_EQ(r[i], 0) << i;
        for (std::size_t i = 24; i < 48; ++i) EXPECT_EQ(r[i], 0) << i;
        EXPECT_EQ(BE32(r, l.length - 12), l.h);
        EXPECT_EQ(BE32(r, l.length - 8), l.w);
        EXPECT_EQ(BE32(r, l.length - 4), l.s);
        for (std::uint32_t x = 0; x < l.w; ++x)
            for (std::uint32_t k = 0; k < l.s; ++k)
                ASSERT_EQ(r[48 + x * l.s + k], k < l.h ? 0x0F : 0x00) << "column " << x << " byte " << k;
    }
}

TEST(ThumbnailRecord, PairMarkBytesAreCopiedAsTheyAre) {
    for (auto [letter, companion] : {std::pair{'B', 7}, std::pair{'\xFF', 0}, std::pair{'\0', 0x80}}) {
        ThumbnailRecord r = Make(Hoop1().pairMark(static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(companion)).end());
        EXPECT_EQ(r[16], static_cast<std::uint8_t>(letter));
        EXPECT_EQ(r[17], companion);
    }
}

TEST(ThumbnailRecord, NoneForOtherHoopsOrACutHeader) {
    EXPECT_FALSE(MakeThumbnailRecord(Hoop1().hoopCode(6).end().bytes()));
    EXPECT_FALSE(MakeThumbnailRecord(Hoop1().hoopCode(0xFFFFFFFF).end().bytes()));
    std::vector<std::uint8_t> cut = Hoop1().bytes();
    cut.resize(115);
    EXPECT_FALSE(MakeThumbnailRecord(cut));
    EXPECT_FALSE(MakeThumbnailRecord({}));
}

TEST(ThumbnailScale, SmallDesignsAreEnlarged) {
    const ThumbnailGeometry hoop0 = *FindThumbnailGeometry(0), hoop1 = *FindThumbnailGeometry(1);
    const ThumbnailGeometry hoop2 = *FindThumbnailGeometry(2);
    EXPECT_EQ(ThumbnailScale(hoop1, 0, 0, 0, 0), 11);            // 17 × 100 / 150
    EXPECT_EQ(ThumbnailScale(hoop1, -400, -400, 0, 0), 11);      // shrunk below zero counts as empty
    EXPECT_EQ(ThumbnailScale(hoop1, 200, 0, 200, 0), 16);        // eight tenths: 17 × 100 / 102
    EXPECT_EQ(ThumbnailScale(hoop1, 0, 250, 0, 200), 17);        // nine tenths: as is
    EXPECT_EQ(ThumbnailScale(hoop0, 550, 550, 550, 550), 28);    // ⌈1100 / 40⌉
    EXPECT_EQ(ThumbnailScale(hoop0, 60, 0, 50, 0), 19);          // one tenth: 28 × 100 / 144
    EXPECT_EQ(ThumbnailScale(hoop2, 700, 1000, 700, 1000), 35);  // ⌈1400 / 40⌉ = ⌈2000 / 58⌉
    EXPECT_EQ(ThumbnailScale(hoop1, INT32_MAX, INT32_MAX, INT32_MAX, 0), 17);
}

TEST(ThumbnailDrawing, StreamOfOnlyTheEndRecordIsAllBackground) {
    EXPECT_TRUE(DrawnPixels(Make(Hoop1().end())).empty());
    EXPECT_TRUE(DrawnPixels(Make(Hoop1().stitchOffset(100000).end())).empty());
}

TEST(ThumbnailDrawing, FirstStitchOnlyMovesAndLaterStitchesDraw) {
    EXPECT_TRUE(DrawnPixels(Make(Hoop1().stitch(22, 0).end())).empty());
    // 187 / 11 = 17, then 209 / 11 = 19: the end pixel of the line is left out.
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(22, 0).stitch(22, 0).end())),
              (Drawn{{{17, 15}, kEntry5}, {{18, 15}, kEntry5}}));
    // y grows upward: a stitch of +22 goes two rows up the canvas, stored nearer the column's end.
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).stitch(0, 22).end())),
              (Drawn{{{15, 15}, kEntry5}, {{15, 14}, kEntry5}}));
}

TEST(ThumbnailDrawing, OnlyAMoveOf119IsSewn) {
    // From pixel (15, 15): to (25, 15), to (15, 25), to (4, 14); then one pixel of the stitch.
    struct Case { int dx, dy; std::size_t pixels; };
    for (Case c : {Case{119, 0, 10}, Case{0, -119, 10}, Case{-119, 5, 11}}) {
        Drawn drawn = DrawnPixels(Make(Hoop1().move(c.dx, c.dy).stitch(11, 0).end()));
        EXPECT_EQ(drawn.size(), c.pixels + 1) << c.dx << "," << c.dy;
    }
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).moveSecondForm(-119, 0).end())).size(), 11u);
    // Any other step lifts the pen: the stitch after it only moves, the one after that draws.
    EXPECT_TRUE(DrawnPixels(Make(Hoop1().stitch(0, 0).move(118, 0).stitch(11, 0).end())).empty());
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).move(0, 0).stitch(11, 0).stitch(11, 0).end())),
              (Drawn{{{16, 15}, kEntry5}}));
}

TEST(ThumbnailDrawing, ColourChangeKeepsThePenAndWalksItsDisplacement) {
    // After a move, the change's displacement is a first stitch: it moves, the next one draws.
    EXPECT_EQ(DrawnPixels(Make(Hoop1({5, 6}).move(0, 0).colorChange(22, 0).stitch(11, 0).end())),
              (Drawn{{{17, 15}, kEntry6}}));
    // While sewing, the displacement is drawn, already in the new colour.
    EXPECT_EQ(DrawnPixels(Make(Hoop1({5, 6}).stitch(0, 0).stitch(11, 0).colorChange(11, 0).end())),
              (Drawn{{{15, 15}, kEntry5}, {{16, 15}, kEntry6}}));
}

TEST(ThumbnailDrawing, ColoursOutsideTheThreadTableOrTheColourTableDrawCode0) {
    const auto lineCode = [](DesignBuilder design) {
        Drawn drawn = DrawnPixels(Make(design.stitch(0, 0).stitch(11, 0).end()));
        return drawn.size() == 1 ? drawn.begin()->second : 0xFF;
    };
    EXPECT_EQ(lineCode(Hoop1({78})), kEntry78);
    EXPECT_EQ(lineCode(Hoop1({79})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({0xFFFFFFFF})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({0x80000005})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({})), 0x00);
    EXPECT_EQ(lineCode(Hoop1({5}).colorChange()), 0x00);  // more changes than entries
    EXPECT_EQ(lineCode(Hoop1({5}).colorCount(0x40000000)), kEntry5);
    EXPECT_EQ(lineCode(Hoop1({5}).colorCount(0x40000000).colorChange().colorChange()), 0x00)
        << "a table running past the image has no entries there";
}

TEST(ThumbnailDrawing, ControlCodesWithoutMeaningAreSkipped) {
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).control(0x03).control(0x7F).stitch(11, 0).end())),
              (Drawn{{{15, 15}, kEntry5}}));
}

TEST(ThumbnailDrawing, WalkStopsAtTheEndRecordOrTheEndOfTheBytes) {
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).stitch(11, 0).end().stitch(11, 0).stitch(11, 0))).size(), 1u);
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).stitch(11, 0).stitch(11, 0))).size(), 2u);
    // A move whose parameter is missing, or an odd last byte, ends the walk quietly.
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).stitch(11, 0).control(0x02))).size(), 1u);
    EXPECT_EQ(DrawnPixels(Make(Hoop1().stitch(0, 0).stitch(11, 0).trailing({0x05}))).size(), 1u);
}

TEST(ThumbnailDrawing, FarStitchesAreClippedToTheCanvas) {
    DesignBuilder design = Hoop1();
    design.stitch(0, 0);
    for (int n = 0; n < 40; ++n) design.stitch(127, 127);
    for (int n = 0; n < 80; ++n) design.stitch(-127, -100);
    Drawn drawn = DrawnPixels(Make(design.end()));
    EXPECT_FALSE(drawn.empty());
    for (const auto& [pixel, code] : drawn) EXPECT_EQ(code, kEntry5);
}

TEST(ThumbnailColours, EveryCodeComesBackFromItsDrawingColour) {
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(ThumbnailColorCode(ThumbnailCodeColor(static_cast<std::uint8_t>(code))), code);
    EXPECT_EQ(ThumbnailCodeColor(kThumbnailBackground), Rgb(0x00, 0x20, 0xE0));
}

TEST(CurrentThumbnail, BuildHoldsOneRecordUntilReleased) {
    const std::vector<std::uint8_t> design = Hoop1().stitch(0, 0).stitch(30, 30).end().bytes();
    std::span<const std::uint8_t> held = BuildThumbnail(design);
    EXPECT_EQ(ThumbnailRecord(held.begin(), held.end()), *MakeThumbnailRecord(design));
    EXPECT_TRUE(BuildThumbnail(Hoop1().hoopCode(9).end().bytes()).empty());
    EXPECT_EQ(ReleaseThumbnail(), 1);
    EXPECT_EQ(ReleaseThumbnail(), 1);
}

TEST(CurrentThumbnail, FromFileReadsTheWholeDesign) {
    test::TestDrives drives;
    const std::string card = drives.addCard('E');
    const std::vector<std::uint8_t> design = Hoop1().hoopCode(2).stitch(0, 0).stitch(-60, 90).end().bytes();
    drives.write(card + "A.kxd", design);
    drives.write(card + "EMPTY.kxd", {});

    std::span<const std::uint8_t> held = BuildThumbnailFromFile(card + "A.kxd");
    EXPECT_EQ(ThumbnailRecord(held.begin(), held.end()), *MakeThumbnailRecord(design));
    EXPECT_TRUE(BuildThumbnailFromFile(card + "EMPTY.kxd").empty());
    EXPECT_TRUE(BuildThumbnailFromFile(card + "MISSING.kxd").empty());
    EXPECT_EQ(ReleaseThumbnail(), 1);
}

}  // namespace
}  // namespace kx
