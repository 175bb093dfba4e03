// Byte order, the header's layout and round trip, and the encoding of the design builder.
#include <gtest/gtest.h>

#include <numeric>

#include "design/byte_order.h"
#include "design/design_header.h"
#include "support/design_builder.h"

namespace kx {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteOrder, ReadsAndWritesBothOrdersAndNothingOutOfRange) {
    Bytes b{0x12, 0x34, 0x56, 0x78}, out(6, 0xEE);
    EXPECT_EQ(std::tuple(ReadU16LE(b, 0), ReadU16BE(b, 2), ReadU32LE(b, 0), ReadU32BE(b, 0), ReadI32LE(Bytes(4, 0xFF), 0)),
              std::tuple(0x3412, 0x5678, 0x78563412u, 0x12345678u, -1));
    EXPECT_FALSE(ReadU32LE(b, 1) || ReadU16LE(b, 3) || ReadU16BE(b, SIZE_MAX) || ReadU32BE(b, SIZE_MAX - 1));
    EXPECT_TRUE(WriteU32BE(out, 1, 0xA1B2C3D4u) && WriteU16LE(out, 4, 0x0102));
    EXPECT_FALSE(WriteU32LE(out, SIZE_MAX - 1, 7) || WriteU16BE(out, 5, 7));
    EXPECT_EQ(out, (Bytes{0xEE, 0xA1, 0xB2, 0xC3, 0x02, 0x01}));
}

TEST(DesignHeader, FieldsSitAtTheirOffsetsLittleEndian) {
    DesignHeader h;
    h.setStitchOffset(0x04030201), h.setPairMark('B', 0x7F), h.setColorCount(0x0C0B0A09), h.setRecordCount(-2), h.setHoopCode(3);
    h.setExtentX1(0x11), h.setExtentY1(0x22), h.setExtentX2(0x33), h.setExtentY2(0x44);
    h.setMarginX1(-1), h.setMarginY1(0x0100), h.setMarginX2(0x55), h.setMarginY2(0x66);
    Bytes b(h.bytes().begin(), h.bytes().end());
    const std::pair<std::size_t, std::uint32_t> fields[] = {
        {0x00, 0x04030201u}, {0x18, 0x0C0B0A09u}, {0x1C, 0xFFFFFFFEu}, {0x20, 3u},    {0x24, 0x11u}, {0x28, 0x22u},
        {0x2C, 0x33u},       {0x30, 0x44u},       {0x34, 0xFFFFFFFFu}, {0x38, 0x100u}, {0x3C, 0x55u}, {0x40, 0x66u}};
    for (auto [at, value] : fields) EXPECT_EQ(ReadU32LE(b, at), value) << at;
    EXPECT_EQ(std::tuple(b[0x16], b[0x17], h.recordCount(), h.marginX1()), std::tuple(std::uint8_t{'B'}, std::uint8_t{0x7F}, -2, -1));
}

TEST(DesignHeader, ParseKeepsEveryByteStoreIntoPutsThemBackShortBuffersAreRefused) {
    Bytes file(130), target(117, 0), shortTarget(115, 0xAA);
    std::iota(file.begin(), file.end(), std::uint8_t{1});
    auto h = DesignHeader::parse(file);
    ASSERT_TRUE(h && h->storeInto(target));
    EXPECT_TRUE(std::equal(h->bytes().begin(), h->bytes().end(), file.begin()));
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 116, target.begin()) && target[116] == 0);
    EXPECT_FALSE(h->storeInto(shortTarget));
    EXPECT_EQ(shortTarget, Bytes(115, 0xAA));
    auto parses = [&](std::size_t n) { return DesignHeader::parse(std::span(file).first(n)).has_value(); };
    EXPECT_EQ(std::pair(parses(115), parses(116)), std::pair(false, true));
}

TEST(DesignHeader, OnlyAnUpperCaseLetterIsAPairMark) {
    DesignHeader h;
    const std::uint8_t letters[] = {'A', 'M', 'Z', 0, '@', '[', 'a', 'z', '1', 0xC1};
    for (std::uint8_t letter : letters) {
        h.setPairMark(letter, 'A');
        EXPECT_EQ(h.hasPairMark(), letter == 'A' || letter == 'M' || letter == 'Z') << letter;
    }
}

TEST(DesignBuilder, EncodesTheColourTableAndEveryKindOfRecord) {
    Bytes file = test::DesignBuilder().colors({0x11, 0x22}).stitch(10, -5).move(-30, 0).colorChange(0, 40).moveSecondForm(1, 1).end().bytes();
    EXPECT_EQ(Bytes(file.begin() + 0x74, file.end()),
              (Bytes{0x11, 0, 0, 0, 0x22, 0, 0, 0, 10, 0xFB, 0x80, 0x02, 0xE2, 0, 0x80, 0x01, 0, 40, 0x80, 0x04, 1, 1, 0x80, 0x10}));
}

}  // namespace
}  // namespace kx
