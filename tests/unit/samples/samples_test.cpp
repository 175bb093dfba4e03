// Generated designs hold what was asked, in a stream the card takes as it is.
#include <gtest/gtest.h>

#include <array>

#include "design/card_conversion.h"
#include "design/design_header.h"
#include "samples/sample_designs.h"

namespace kx::samples {
namespace {

// Counts as asked (at least 3 records; changes capped so each colour keeps stitches); a leading
// move, no shifted colour change and the end record last make the design convert to itself.
TEST(GenerateDesign, HoldsTheRecordsAndColourChangesAskedInAWellFormedStream) {
    std::array<std::size_t, 4> generated[] = {{3, 0, 3, 0}, {20000, 150, 20000, 150}, {0, 5, 3, 0}, {40, 1000, 40, 6}};
    for (auto [records, changes, wantRecords, wantChanges] : generated) {
        const std::vector<std::uint8_t> design = GenerateDesign(records, changes, 11);
        const DesignHeader h = DesignHeader::parse(design).value_or(DesignHeader());
        EXPECT_EQ((std::pair<std::size_t, std::size_t>(h.recordCount(), h.colorCount() - 1)), std::pair(wantRecords, wantChanges)) << records;
        EXPECT_EQ(ConvertDesignForCard(design).bytes, design) << records;
    }
}

}  // namespace
}  // namespace kx::samples
