// The shared test design builder computes the header the way the format defines it.
#include <gtest/gtest.h>

#include "design/byte_order.h"
#include "support/design_builder.h"

namespace kx::test {
namespace {

TEST(DesignBuilder, ComputesOffsetsCountsAndExtents) {
    DesignBuilder b = DesignBuilder().colors({0x11, 0x22}).stitch(10, -5).move(-30, 0).colorChange(0, 40).stitch(1, 1).end().stitch(100, 100);
    std::vector<std::uint8_t> file = b.bytes();
    DesignHeader h = *DesignHeader::parse(file);
    EXPECT_EQ(h.stitchOffset(), 0x74u + 8);
    EXPECT_EQ(h.colorCount(), 2u);
    EXPECT_EQ(h.recordCount(), 1 + 2 + 2 + 1 + 1);
    EXPECT_EQ(ReadU32LE(file, 0x74), 0x11u);
    EXPECT_EQ(ReadU32LE(file, 0x78), 0x22u);
    EXPECT_EQ(file[0x7C], 10);
    EXPECT_EQ(file[0x7D], 0xFB);
    EXPECT_EQ(file.size(), 0x7Cu + 2 * 8);
    // The walk reaches x 81 and -20, y 136 and -5 (the stitch after the end counts too).
    EXPECT_EQ(h.extentX1(), 81);
    EXPECT_EQ(h.extentX2(), 20);
    EXPECT_EQ(h.extentY1(), 136);
    EXPECT_EQ(h.extentY2(), 5);
    EXPECT_EQ(h.hoopCode(), 0u);
}

TEST(DesignBuilder, NormalizedClassifiesTheWalk) {
    DesignHeader h = DesignBuilder().stitch(100, 0).stitch(100, 0).stitch(100, 0).end().normalized().header();
    EXPECT_EQ(h.hoopCode(), 3u);
    EXPECT_EQ(h.marginX1(), 330);
    EXPECT_EQ(h.marginY1(), 550);
}

}  // namespace
}  // namespace kx::test
