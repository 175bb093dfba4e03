// Generated designs are well-formed files whose headers tell the truth about their streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/stitch_stream.h"
#include "samples/design_writer.h"
#include "samples/sample_designs.h"

namespace kx::samples {
namespace {

// What an independent walk of the stream finds, through the end record.
struct StreamFacts {
    bool wellFormed = false, startsWithMove = false;  // every control record complete, the end record last
    std::size_t records = 0, colourChanges = 0;
    int longestStitch = 0, longestMove = 0;
    Point min, max;
};

StreamFacts Walk(const std::vector<std::uint8_t>& file) {
    StreamFacts f;
    Point pos;
    std::size_t at = DesignHeader::parse(file).value_or(DesignHeader()).stitchOffset();
    for (; at + 2 <= file.size(); at += 2) {
        std::uint8_t code = file[at] == kControlMark ? file[at + 1] : 0;
        if (++f.records == 1) f.startsWithMove = code == CONTROL_MOVE;
        if (code == CONTROL_END) break;
        if (file[at] == kControlMark) {
            if ((code != CONTROL_MOVE && code != CONTROL_COLOR_CHANGE) || at + 4 > file.size() || file[at + 2] == kControlMark) break;
            at += 2, ++f.records;
            f.colourChanges += code == CONTROL_COLOR_CHANGE;
        }
        int dx = static_cast<std::int8_t>(file[at]), dy = static_cast<std::int8_t>(file[at + 1]);
        pos = {pos.x + dx, pos.y + dy};
        f.min = {std::min(f.min.x, pos.x), std::min(f.min.y, pos.y)};
        f.max = {std::max(f.max.x, pos.x), std::max(f.max.y, pos.y)};
        int& longest = code == CONTROL_MOVE ? f.longestMove : f.longestStitch;
        longest = std::max({longest, std::abs(dx), std::abs(dy)});
    }
    f.wellFormed = at + 2 == file.size() && file[at] == kControlMark && file[at + 1] == CONTROL_END;
    return f;
}

StreamFacts ExpectHeaderMatchesStream(const std::vector<std::uint8_t>& file, const std::string& name) {
    SCOPED_TRACE(name);
    StreamFacts f = Walk(file);
    DesignHeader header = DesignHeader::parse(file).value_or(DesignHeader());
    EXPECT_TRUE(f.wellFormed && f.startsWithMove);
    EXPECT_EQ(header.stitchOffset(), kColorTableOffset + header.colorCount() * kColorEntrySize);
    EXPECT_EQ((std::pair<std::size_t, std::size_t>(header.colorCount(), header.recordCount())), std::pair(f.colourChanges + 1, f.records));
    EXPECT_EQ((std::array{header.extentX1(), header.extentY1(), -header.extentX2(), -header.extentY2()}),
              (std::array{f.max.x, f.max.y, f.min.x, f.min.y}));
    EXPECT_LE(f.longestStitch, kMaxStitchStep);
    // A move of 119 would be drawn as a sewn line in the thumbnail.
    EXPECT_LE(f.longestMove, kMaxMoveStep);
    return f;
}

TEST(GenerateDesign, HoldsExactlyTheRecordsAndColourChangesAsked) {
    // Asked records and changes, then what the design holds: under 3 records is raised to 3.
    std::array<std::size_t, 4> cases[] = {{3, 0, 3, 0}, {50, 3, 50, 3}, {1000, 40, 1000, 40}, {20000, 150, 20000, 150}, {0, 5, 3, 0}};
    for (auto [records, changes, wantRecords, wantChanges] : cases) {
        StreamFacts f = ExpectHeaderMatchesStream(GenerateDesign(records, changes, 11), std::to_string(records));
        EXPECT_EQ(std::pair(f.records, f.colourChanges), std::pair(wantRecords, wantChanges));
    }
    StreamFacts crowded = Walk(GenerateDesign(40, 1000, 1));  // changes capped so each colour keeps stitches
    EXPECT_EQ(crowded.records, 40u);
    EXPECT_LT(crowded.colourChanges, 10u);
}

// The demo relies on the card refusing GIANT (no hoop) and FILL (record limit), and no other.
TEST(SampleDesigns, AreWellFormedAndOnlyTheRefusalSamplesFailTheChecks) {
    for (const SampleDesign& s : MakeSampleDesigns()) {
        ExpectHeaderMatchesStream(s.bytes, s.fileName);
        CardConversion converted = ConvertDesignForCard(s.bytes);
        ASSERT_EQ(converted.outcome, CardConversion::Outcome::Converted) << s.fileName;
        DesignHeader card = *DesignHeader::parse(converted.bytes);
        EXPECT_EQ(card.recordCount() > kCardRecordLimit, s.fileName == "FILL.kxd") << s.fileName;
        EXPECT_EQ(!NormalizedHoopFields(card), s.fileName == "GIANT.kxd") << s.fileName;
    }
}

}  // namespace
}  // namespace kx::samples
