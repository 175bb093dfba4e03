// The card conversion: the stream rules, growth, limits and plain copies.
#include <gtest/gtest.h>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "support/design_builder.h"

namespace kx {
namespace {

using test::DesignBuilder;
using Bytes = std::vector<std::uint8_t>;
using Outcome = CardConversion::Outcome;
using Refusal = CardConversion::Refusal;

Bytes Converted(const Bytes& in) {
    CardConversion c = ConvertDesignForCard(in);
    EXPECT_EQ(c.outcome, Outcome::Converted);
    return c.bytes;
}

DesignHeader HeaderOf(const Bytes& file) { return DesignHeader::parse(file).value_or(DesignHeader()); }

TEST(CardConversion, AStreamStartingWithAStitchGetsALeadingMove) {
    Bytes in = DesignBuilder().colors({1, 2}).stitch(3, 4).stitch(-1, 0).end().bytes(), out = Converted(in);
    ASSERT_EQ(out.size(), in.size() + 4);
    EXPECT_EQ(HeaderOf(out).recordCount(), HeaderOf(in).recordCount() + 2);
    EXPECT_EQ(HeaderOf(out).stitchOffset(), HeaderOf(in).stitchOffset());
    EXPECT_EQ(Bytes(out.begin() + 124, out.end()), (Bytes{0x80, 0x02, 0, 0, 3, 4, 0xFF, 0, 0x80, 0x10}));
}

TEST(CardConversion, RewritesMovesSplitsColourChangesAndDropsWhatFollowsTheEnd) {
    auto d = [] { return DesignBuilder().colors({1, 2}); };
    std::pair<DesignBuilder, DesignBuilder> cases[] = {
        // Second-form moves become moves, and a stream opening with one gets no leading move.
        {d().moveSecondForm(0, 0).stitch(1, 1).moveSecondForm(7, -7).end(), d().move(0, 0).stitch(1, 1).move(7, -7).end()},
        {d().move(0, 0).colorChange(5, 3).stitch(1, 1).colorChange(5, 0).colorChange(0, 0).colorChange(0, -1).end(),
         d().move(0, 0).colorChange(0, 0).move(5, 3).stitch(1, 1).colorChange(0, 0).move(5, 0).colorChange(0, 0)
             .colorChange(0, 0).move(0, -1).end()},
        {d().move(0, 0).stitch(1, 1).end().trailing({1, 2, 3, 0x80, 0x10}), d().move(0, 0).stitch(1, 1).end()},  // odd
        {d().stitch(1, 0).moveSecondForm(4, 4).colorChange(1, 2).stitch(0, 1).end().trailing({0x80, 0x10, 0x80}),
         d().move(0, 0).stitch(1, 0).move(4, 4).colorChange(0, 0).move(1, 2).stitch(0, 1).end()},
    };
    for (const auto& [in, expected] : cases) EXPECT_EQ(Converted(in.bytes()), expected.bytes()) << in.records();
}

TEST(CardConversion, HundredsOfSplitsStayWithinTheLimitAndARecordCountThatDisagreesIsRaisedByTheRecordsAdded) {
    DesignBuilder design = DesignBuilder().move(0, 0), expected = DesignBuilder().move(0, 0);
    for (int i = 0; i < 400; ++i) {
        design.stitch(1, 1).colorChange(2, -2);
        expected.stitch(1, 1).colorChange(0, 0).move(2, -2);
    }
    EXPECT_EQ(Converted(design.end().trailing({9, 9}).bytes()), expected.end().bytes());
    for (std::int32_t stored : {0, 500, -40, INT32_MIN})
        EXPECT_EQ(Converted(DesignBuilder(design).recordCount(stored).bytes()), DesignBuilder(expected).recordCount(stored + 800).bytes());
}

// No end record (or half of one, or one as a parameter), a stream beyond the file or in the header, a short file.
TEST(CardConversion, UninterpretableStreamsArePlainCopies) {
    for (const Bytes& bytes : {DesignBuilder().stitch(1, 1).colorChange(1, 1).bytes(), DesignBuilder().bytes(),
                               DesignBuilder().stitch(1, 1).trailing({0x80}).bytes(),
                               DesignBuilder().move(0, 0).control(0x01).control(0x10).bytes(),
                               DesignBuilder().stitch(1, 1).end().stitchOffset(1000).bytes(),
                               DesignBuilder().stitch(1, 1).end().stitchOffset(0x20).bytes(), Bytes(60, 0)}) {
        CardConversion c = ConvertDesignForCard(bytes);
        EXPECT_EQ(std::pair(c.outcome, c.bytes.empty()), std::pair(Outcome::PlainCopy, true)) << bytes.size();
    }
}

TEST(CardConversion, RefusesGrowthPastTheLimitEmptyFilesAndUnplaceableRecords) {
    DesignBuilder move = DesignBuilder().stitch(1, 1).end(), moveAndSplit = DesignBuilder().stitch(1, 1).colorChange(1, 0).end();
    std::tuple<DesignBuilder, std::int32_t, bool> cases[] = {
        {move, 65533, true}, {move, 65534, false}, {moveAndSplit, 65531, true}, {moveAndSplit, 65532, false}, {moveAndSplit, INT32_MAX, false}};
    for (const auto& [design, stored, fits] : cases) {
        CardConversion r = ConvertDesignForCard(DesignBuilder(design).recordCount(stored).bytes());
        if (fits) EXPECT_EQ(HeaderOf(r.bytes).recordCount(), 65535) << stored;
        else EXPECT_EQ(std::pair(r.outcome, r.refusal), std::pair(Outcome::Refused, Refusal::RecordLimit)) << stored;
    }
    EXPECT_EQ(ConvertDesignForCard({}).refusal, Refusal::EmptyFile);
    // This colour change's displacement reads as another change: the two walks over the stream disagree.
    CardConversion ambiguous = ConvertDesignForCard(DesignBuilder().move(0, 0).control(1).control(1).stitch(5, 3).end().bytes());
    EXPECT_EQ(std::pair(ambiguous.outcome, ambiguous.refusal), std::pair(Outcome::Refused, Refusal::RecordsUnplaceable));
}

TEST(GrowingSteps, RefuseWithoutTouchingTheBuffer) {
    Bytes atLimit = DesignBuilder().stitch(1, 1).end().recordCount(65534).bytes(), copy = atLimit;
    EXPECT_FALSE(InsertLeadingMove(copy));
    EXPECT_EQ(copy, atLimit);
    Bytes oneSplit = DesignBuilder().colorChange(1, 1).end().bytes(), shortBuffer(100, 0);
    copy = oneSplit;
    for (std::int64_t wrongCount : {4, -2, 1}) EXPECT_FALSE(SplitColorChanges(copy, wrongCount)) << wrongCount;
    EXPECT_EQ(copy, oneSplit);
    EXPECT_TRUE(SplitColorChanges(copy, 2));
    EXPECT_EQ(copy, DesignBuilder().colorChange(0, 0).move(1, 1).end().bytes());
    EXPECT_FALSE(InsertLeadingMove(shortBuffer));
    EXPECT_FALSE(SplitColorChanges(shortBuffer, 2));
}

}  // namespace
}  // namespace kx
