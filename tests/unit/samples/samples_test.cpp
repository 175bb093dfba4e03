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

// An independent walk of the stream, from a leading move through moves, stitches and colour
// changes (each with its parameter) to the end record last: the header must agree with it, and
// no step may exceed the writer's limits (a move of 119 would be drawn as a sewn line in the
// thumbnail). Returns the records and the colour changes.
std::pair<std::size_t, std::size_t> ExpectHeaderMatchesStream(const std::vector<std::uint8_t>& file, const std::string& name) {
    SCOPED_TRACE(name);
    const DesignHeader h = DesignHeader::parse(file).value_or(DesignHeader());
    std::size_t at = h.stitchOffset(), records = 1, changes = 0;
    int x = 0, y = 0, longest[2] = {0, 0};           // of stitches, of moves
    std::array<int, 4> box{};                        // max x, max y, min x, min y
    EXPECT_TRUE(at + 2 <= file.size() && file[at] == kControlMark && file[at + 1] == CONTROL_MOVE) << "a leading move";
    for (; at + 4 <= file.size() && !(file[at] == kControlMark && file[at + 1] == CONTROL_END); at += 2, ++records) {
        const std::uint8_t code = file[at] == kControlMark ? file[at + 1] : 0;
        if (code && ((code != CONTROL_MOVE && code != CONTROL_COLOR_CHANGE) || file[at + 2] == kControlMark)) break;
        if (code) at += 2, ++records, changes += code == CONTROL_COLOR_CHANGE;
        const int dx = static_cast<std::int8_t>(file[at]), dy = static_cast<std::int8_t>(file[at + 1]);
        x += dx, y += dy;
        box = {std::max(box[0], x), std::max(box[1], y), std::min(box[2], x), std::min(box[3], y)};
        longest[code == CONTROL_MOVE] = std::max({longest[code == CONTROL_MOVE], std::abs(dx), std::abs(dy)});
    }
    EXPECT_TRUE(at + 2 == file.size() && file[at] == kControlMark && file[at + 1] == CONTROL_END) << "the end record last, at " << at;
    EXPECT_EQ(h.stitchOffset(), kColorTableOffset + h.colorCount() * kColorEntrySize);
    EXPECT_EQ((std::array<std::size_t, 2>{h.colorCount(), static_cast<std::size_t>(h.recordCount())}), (std::array{changes + 1, records}));
    EXPECT_EQ((std::array{h.extentX1(), h.extentY1(), -h.extentX2(), -h.extentY2()}), box);
    EXPECT_TRUE(longest[0] <= kMaxStitchStep && longest[1] <= kMaxMoveStep) << longest[0] << " " << longest[1];
    return {records, changes};
}

// Generated designs hold the records and colour changes asked (under 3 records is raised to 3,
// and changes are capped so each colour keeps stitches). The demo relies on the card refusing
// GIANT (no hoop) and FILL (record limit), and no other sample.
TEST(SampleDesigns, AreWellFormedAndOnlyTheRefusalSamplesFailTheChecks) {
    std::array<std::size_t, 4> generated[] = {{3, 0, 3, 0}, {20000, 150, 20000, 150}, {0, 5, 3, 0}, {40, 1000, 40, 6}};
    for (auto [records, changes, wantRecords, wantChanges] : generated)
        EXPECT_EQ(ExpectHeaderMatchesStream(GenerateDesign(records, changes, 11), std::to_string(records)), std::pair(wantRecords, wantChanges));
    for (const SampleDesign& s : MakeSampleDesigns()) {
        ExpectHeaderMatchesStream(s.bytes, s.fileName);
        const DesignHeader card = DesignHeader::parse(ConvertDesignForCard(s.bytes).bytes).value_or(DesignHeader());
        EXPECT_EQ(card.recordCount() > kCardRecordLimit, s.fileName == "FILL.kxd") << s.fileName;
        EXPECT_EQ(!NormalizedHoopFields(card), s.fileName == "GIANT.kxd") << s.fileName;
    }
}

}  // namespace
}  // namespace kx::samples
