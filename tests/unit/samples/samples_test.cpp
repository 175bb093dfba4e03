// The sample and generated designs: well-formed streams whose headers tell the truth, and only the
// two samples made to be refused refused by the card.
#include <gtest/gtest.h>

#include <array>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "samples/sample_designs.h"

namespace kx::samples {
namespace {

// A stream the card takes as it is (a leading move, no shifted colour change, the end record
// last) converts to itself; the header's counts are those asked for (under 3 records is raised to
// 3, and changes are capped so each colour keeps stitches).
TEST(SampleDesigns, AreWellFormedAndOnlyTheRefusalSamplesFailTheChecks) {
    std::array<std::size_t, 4> generated[] = {{3, 0, 3, 0}, {20000, 150, 20000, 150}, {0, 5, 3, 0}, {40, 1000, 40, 6}};
    for (auto [records, changes, wantRecords, wantChanges] : generated) {
        const std::vector<std::uint8_t> design = GenerateDesign(records, changes, 11);
        const DesignHeader h = DesignHeader::parse(design).value_or(DesignHeader());
        EXPECT_EQ((std::array<std::size_t, 2>{static_cast<std::size_t>(h.recordCount()), h.colorCount() - 1}), (std::array{wantRecords, wantChanges})) << records;
        EXPECT_EQ(ConvertDesignForCard(design).bytes, design) << records;
    }
    for (const SampleDesign& s : MakeSampleDesigns()) {
        const CardConversion converted = ConvertDesignForCard(s.bytes);
        const DesignHeader card = DesignHeader::parse(converted.bytes).value_or(DesignHeader());
        EXPECT_EQ(converted.bytes == s.bytes, s.fileName != "CARD.kxd") << s.fileName;  // CARD's colour changes are shifted
        EXPECT_EQ(card.recordCount() > kCardRecordLimit, s.fileName == "FILL.kxd") << s.fileName;
        EXPECT_EQ(!NormalizedHoopFields(card), s.fileName == "GIANT.kxd") << s.fileName;
    }
}

}  // namespace
}  // namespace kx::samples
