// The header block's field layout, its round trip, and the byte-order helpers.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "design/byte_order.h"
#include "design/design_header.h"

namespace kx {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

TEST(ByteOrder, ReadsAndWritesBothOrders) {
    std::vector<std::uint8_t> b{0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(ReadU16LE(b, 0), 0x3412);
    EXPECT_EQ(ReadU16BE(b, 2), 0x5678);
    EXPECT_EQ(ReadU32LE(b, 0), 0x78563412u);
    EXPECT_EQ(ReadU32BE(b, 0), 0x12345678u);
    EXPECT_EQ(ReadI32LE(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}, 0), -1);

    std::vector<std::uint8_t> out(6, 0xEE);
    EXPECT_TRUE(WriteU32BE(out, 1, 0xA1B2C3D4u));
    EXPECT_TRUE(WriteU16LE(out, 4, 0x0102));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xEE, 0xA1, 0xB2, 0xC3, 0x02, 0x01}));
}

TEST(ByteOrder, OutOfRangeGivesNothingAndWritesNothing) {
    std::vector<std::uint8_t> b{1, 2, 3};
    EXPECT_FALSE(ReadU32LE(b, 0));
    EXPECT_FALSE(ReadU16LE(b, 2));
    EXPECT_FALSE(ReadU16BE(b, SIZE_MAX));
    EXPECT_FALSE(WriteU32LE(b, SIZE_MAX - 1, 7));
    EXPECT_FALSE(WriteU16BE(b, 2, 7));
    EXPECT_EQ(b, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(DesignHeader, FieldsSitAtTheirOffsetsLittleEndian) {
    DesignHeader h;
    h.setStitchOffset(0x04030201);
    h.setPairMark('B', 0x7F);
    h.setColorCount(0x0C0B0A09);
    h.setRecordCount(-2);
    h.setHoopCode(3);
    h.setExtentX1(0x11);
    h.setExtentY1(0x22);
    h.setExtentX2(0x33);
    h.setExtentY2(0x44);
    h.setMarginX1(-1);
    h.setMarginY1(0x0100);
    h.setMarginX2(0x55);
    h.setMarginY2(0x66);
    auto b = h.bytes();
    EXPECT_EQ(ReadU32LE(b, 0x00), 0x04030201u);
    EXPECT_EQ(b[0x16], 'B');
    EXPECT_EQ(b[0x17], 0x7F);
    EXPECT_EQ(ReadU32LE(b, 0x18), 0x0C0B0A09u);
    EXPECT_EQ(ReadU32LE(b, 0x1C), 0xFFFFFFFEu);
    EXPECT_EQ(ReadU32LE(b, 0x20), 3u);
    EXPECT_EQ(ReadU32LE(b, 0x24), 0x11u);
    EXPECT_EQ(ReadU32LE(b, 0x28), 0x22u);
    EXPECT_EQ(ReadU32LE(b, 0x2C), 0x33u);
    EXPECT_EQ(ReadU32LE(b, 0x30), 0x44u);
    EXPECT_EQ(ReadU32LE(b, 0x34), 0xFFFFFFFFu);
    EXPECT_EQ(ReadU32LE(b, 0x38), 0x100u);
    EXPECT_EQ(ReadU32LE(b, 0x3C), 0x55u);
    EXPECT_EQ(ReadU32LE(b, 0x40), 0x66u);
    EXPECT_EQ(h.recordCount(), -2);
    EXPECT_EQ(h.marginX1(), -1);
}

TEST(DesignHeader, ParseKeepsEveryByteAndStoresThemBack) {
    std::vector<std::uint8_t> file = Counting(130);
    auto h = DesignHeader::parse(file);
    ASSERT_TRUE(h);
    EXPECT_TRUE(std::equal(h->bytes().begin(), h->bytes().end(), file.begin()));
    EXPECT_EQ(h->stitchOffset(), 0x04030201u);

    std::vector<std::uint8_t> target(120, 0);
    EXPECT_TRUE(h->storeInto(target));
    EXPECT_TRUE(std::equal(target.begin(), target.begin() + 116, file.begin()));
    EXPECT_EQ(target[116], 0);
}

TEST(DesignHeader, ShortBuffersAreRefused) {
    EXPECT_FALSE(DesignHeader::parse(Counting(115)));
    EXPECT_TRUE(DesignHeader::parse(Counting(116)));
    std::vector<std::uint8_t> target(115, 0xAA);
    EXPECT_FALSE(DesignHeader().storeInto(target));
    EXPECT_EQ(target, std::vector<std::uint8_t>(115, 0xAA));
}

TEST(DesignHeader, PairMarkIsOnlyAnUpperCaseLetter) {
    DesignHeader h;
    for (char letter : {'A', 'M', 'Z'}) {
        h.setPairMark(static_cast<std::uint8_t>(letter), 0);
        EXPECT_TRUE(h.hasPairMark()) << letter;
    }
    for (int other : {0, int{'@'}, int{'['}, int{'a'}, int{'z'}, int{'1'}, 0xC1}) {
        h.setPairMark(static_cast<std::uint8_t>(other), 'A');
        EXPECT_FALSE(h.hasPairMark()) << other;
    }
    h.setPairMark('C', 9);
    h.clearPairMark();
    EXPECT_EQ(h.pairLetter(), 0);
    EXPECT_EQ(h.pairCompanion(), 0);
}

}  // namespace
}  // namespace kx
