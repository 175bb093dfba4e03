// The card conversion: the three stream rules, growth, limits, plain copies and the temporary file.
#include <gtest/gtest.h>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "support/fault_platform.h"
#include "support/design_builder.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using test::FaultPlatform;
using test::TestDrives;
using Outcome = CardConversion::Outcome;
using Refusal = CardConversion::Refusal;

std::vector<std::uint8_t> Converted(const DesignBuilder& design) {
    CardConversion c = ConvertDesignForCard(design.bytes());
    EXPECT_EQ(c.outcome, Outcome::Converted);
    return c.bytes;
}

Outcome OutcomeOf(const std::vector<std::uint8_t>& bytes) { return ConvertDesignForCard(bytes).outcome; }

TEST(CardConversion, AStreamStartingWithAStitchGetsALeadingMove) {
    DesignBuilder design = DesignBuilder().colors({1, 2}).stitch(3, 4).stitch(-1, 0).end();
    std::vector<std::uint8_t> in = design.bytes();
    std::vector<std::uint8_t> out = Converted(design);
    std::vector<std::uint8_t> expected = DesignBuilder().colors({1, 2}).move(0, 0).stitch(3, 4).stitch(-1, 0).end().recordCount(5).bytes();
    EXPECT_EQ(out, expected);
    EXPECT_EQ(out.size(), in.size() + 4);
    EXPECT_EQ(DesignHeader::parse(out)->stitchOffset(), DesignHeader::parse(in)->stitchOffset());
    EXPECT_EQ(DesignHeader::parse(out)->recordCount(), 3 + 2);
}

TEST(CardConversion, MovesOfTheSecondFormBecomeMovesWithoutALeadingMove) {
    EXPECT_EQ(Converted(DesignBuilder().moveSecondForm(0, 0).stitch(1, 1).moveSecondForm(7, -7).stitch(2, 2).end()),
              DesignBuilder().move(0, 0).stitch(1, 1).move(7, -7).stitch(2, 2).end().bytes());
    DesignBuilder startsWithMove = DesignBuilder().move(2, 2).stitch(1, 1).end();
    EXPECT_EQ(Converted(startsWithMove), startsWithMove.bytes());
}

TEST(CardConversion, ColourChangesWithADisplacementAreSplit) {
    for (auto [dx, dy] : {std::pair{5, 3}, {5, 0}, {0, -1}}) {
        DesignBuilder design = DesignBuilder().colors({1, 2}).move(0, 0).stitch(1, 1).colorChange(dx, dy).stitch(2, 2).end();
        std::vector<std::uint8_t> expected = DesignBuilder().colors({1, 2}).move(0, 0).stitch(1, 1)
            .colorChange(0, 0).move(dx, dy).stitch(2, 2).end().recordCount(7 + 2).bytes();
        EXPECT_EQ(Converted(design), expected) << dx << "," << dy;
    }
}

TEST(CardConversion, SplitBytesAreExact) {
    std::vector<std::uint8_t> out = Converted(DesignBuilder().move(0, 0).colorChange(5, 3).end());
    std::vector<std::uint8_t> stream(out.begin() + 116, out.end());
    EXPECT_EQ(stream, (std::vector<std::uint8_t>{0x80, 0x02, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x02, 0x05, 0x03, 0x80, 0x10}));
}

TEST(CardConversion, ColourChangesWithoutDisplacementStayAsTheyAre) {
    DesignBuilder design = DesignBuilder().move(0, 0).colorChange(0, 0).stitch(1, 1).colorChange().end();
    EXPECT_EQ(Converted(design), design.bytes());
}

TEST(CardConversion, AllRulesTogether) {
    DesignBuilder design = DesignBuilder().colors({1, 2, 3}).stitch(1, 0).moveSecondForm(4, 4).colorChange(1, 2)
        .colorChange(0, 0).stitch(0, 1).colorChange(-3, 0).end().trailing({0x80, 0x10, 0x80});
    std::vector<std::uint8_t> expected = DesignBuilder().colors({1, 2, 3}).move(0, 0).stitch(1, 0).move(4, 4)
        .colorChange(0, 0).move(1, 2).colorChange(0, 0).stitch(0, 1).colorChange(0, 0).move(-3, 0).end()
        .recordCount(11 + 2 + 4).bytes();
    EXPECT_EQ(Converted(design), expected);
}

TEST(CardConversion, HundredsOfSplitsGrowAsCounted) {
    DesignBuilder design = DesignBuilder().move(0, 0);
    DesignBuilder expected = DesignBuilder().move(0, 0);
    for (int i = 0; i < 400; ++i) {
        design.stitch(1, 1).colorChange(2, -2);
        expected.stitch(1, 1).colorChange(0, 0).move(2, -2);
    }
    design.end().trailing({9, 9});
    expected.end();
    EXPECT_EQ(Converted(design), expected.bytes());
    EXPECT_EQ(DesignHeader::parse(expected.bytes())->recordCount(), 2 + 400 * 5 + 1);
}

TEST(CardConversion, BytesAfterTheEndRecordAreDropped) {
    DesignBuilder design = DesignBuilder().move(0, 0).stitch(1, 1).end();
    EXPECT_EQ(Converted(DesignBuilder(design).trailing({1, 2, 3, 0x80, 0x10})), design.bytes());
    EXPECT_EQ(Converted(DesignBuilder(design).trailing({0x80})), design.bytes());  // an odd stream
}

TEST(CardConversion, UninterpretableStreamsArePlainCopies) {
    std::vector<std::uint8_t> noEnd = DesignBuilder().stitch(1, 1).colorChange(1, 1).bytes();
    std::vector<std::uint8_t> beyond = DesignBuilder().stitch(1, 1).end().stitchOffset(1000).bytes();
    std::vector<std::uint8_t> insideHeader = DesignBuilder().stitch(1, 1).end().stitchOffset(0x20).bytes();
    std::vector<std::uint8_t> halfEnd = DesignBuilder().stitch(1, 1).trailing({0x80}).bytes();
    std::vector<std::uint8_t> shortFile(60, 0);
    std::vector<std::uint8_t> endAsParameter = DesignBuilder().move(0, 0).control(0x01).control(0x10).bytes();
    for (const auto& bytes : {noEnd, beyond, insideHeader, halfEnd, shortFile, endAsParameter})
        EXPECT_EQ(OutcomeOf(bytes), Outcome::PlainCopy);
    std::vector<std::uint8_t> streamAtTheEnd = DesignBuilder().bytes();
    EXPECT_EQ(OutcomeOf(streamAtTheEnd), Outcome::PlainCopy);
}

TEST(CardConversion, RecordLimitIsCountedAfterTheGrowth) {
    DesignBuilder needsMove = DesignBuilder().stitch(1, 1).end();
    EXPECT_EQ(DesignHeader::parse(Converted(DesignBuilder(needsMove).recordCount(65533)))->recordCount(), 65535);
    CardConversion over = ConvertDesignForCard(DesignBuilder(needsMove).recordCount(65534).bytes());
    EXPECT_EQ(over.outcome, Outcome::Refused);
    EXPECT_EQ(over.refusal, Refusal::RecordLimit);

    DesignBuilder split = DesignBuilder().stitch(1, 1).colorChange(1, 0).end();
    EXPECT_EQ(DesignHeader::parse(Converted(DesignBuilder(split).recordCount(65531)))->recordCount(), 65535);
    EXPECT_EQ(ConvertDesignForCard(DesignBuilder(split).recordCount(65532).bytes()).refusal, Refusal::RecordLimit);
    EXPECT_EQ(ConvertDesignForCard(DesignBuilder(split).recordCount(INT32_MAX).bytes()).refusal, Refusal::RecordLimit);
}

TEST(CardConversion, ARecordCountThatDisagreesMovesTheRecordsPresent) {
    DesignBuilder stream = DesignBuilder().move(0, 0).colorChange(1, 1).stitch(2, 2).colorChange(3, 3).end();
    DesignBuilder split = DesignBuilder().move(0, 0).colorChange(0, 0).move(1, 1).stitch(2, 2).colorChange(0, 0).move(3, 3).end();
    for (std::int32_t stored : {0, 3, 500, -40, INT32_MIN}) {
        std::vector<std::uint8_t> out = Converted(DesignBuilder(stream).recordCount(stored));
        EXPECT_EQ(out, DesignBuilder(split).recordCount(stored + 4).bytes()) << stored;
    }
}

TEST(CardConversion, EmptyAndAmbiguousDesignsAreRefused) {
    EXPECT_EQ(ConvertDesignForCard({}).refusal, Refusal::EmptyFile);
    // A colour change whose displacement reads as another colour change: the forward count and
    // the backward walk disagree, so the records cannot be placed.
    CardConversion ambiguous = ConvertDesignForCard(DesignBuilder().move(0, 0).control(0x01).control(0x01).stitch(5, 3).end().bytes());
    EXPECT_EQ(ambiguous.outcome, Outcome::Refused);
    EXPECT_EQ(ambiguous.refusal, Refusal::RecordsUnplaceable);
}

TEST(GrowingSteps, RefuseWithoutTouchingTheBuffer) {
    std::vector<std::uint8_t> atLimit = DesignBuilder().stitch(1, 1).end().recordCount(65534).bytes();
    std::vector<std::uint8_t> copy = atLimit;
    EXPECT_FALSE(InsertLeadingMove(copy));
    EXPECT_EQ(copy, atLimit);

    std::vector<std::uint8_t> oneSplit = DesignBuilder().colorChange(1, 1).end().bytes();
    copy = oneSplit;
    EXPECT_FALSE(SplitColorChanges(copy, 4));
    EXPECT_FALSE(SplitColorChanges(copy, -2));
    EXPECT_FALSE(SplitColorChanges(copy, 1));
    EXPECT_EQ(copy, oneSplit);
    EXPECT_TRUE(SplitColorChanges(copy, 2));
    EXPECT_EQ(copy, DesignBuilder().colorChange(0, 0).move(1, 1).end().recordCount(5).bytes());

    std::vector<std::uint8_t> shortBuffer(100, 0);
    EXPECT_FALSE(InsertLeadingMove(shortBuffer));
    EXPECT_FALSE(SplitColorChanges(shortBuffer, 2));
}

class ConvertForCardTest : public ::testing::Test {
protected:
    void SetUp() override { drives.addFixed('C'); }
    TestDrives drives;
};

TEST_F(ConvertForCardTest, TheTemporaryFileSitsInTheTemporaryFolder) {
    EXPECT_EQ(GetSendTempPath(), "T:\\$$SndDat.tp$");
}

TEST_F(ConvertForCardTest, WritesTheConvertedDesignAndLeavesThePcFile) {
    std::vector<std::uint8_t> pc = DesignBuilder().colors({5}).stitch(1, 1).colorChange(2, 2).end().trailing({7}).bytes();
    drives.write("C:\\ROSE.KXD", pc);
    drives.write("T:\\$$SndDat.tp$", std::vector<std::uint8_t>(4000, 0xEE));
    auto temp = ConvertForCard("C:\\ROSE.KXD");
    ASSERT_TRUE(temp);
    EXPECT_EQ(*temp, "T:\\$$SndDat.tp$");
    EXPECT_EQ(drives.read(*temp), DesignBuilder().colors({5}).move(0, 0).stitch(1, 1).colorChange(0, 0).move(2, 2).end().recordCount(8).bytes());
    EXPECT_EQ(drives.read("C:\\ROSE.KXD"), pc);
}

TEST_F(ConvertForCardTest, UninterpretableDesignsArriveAsTheyAre) {
    std::vector<std::uint8_t> pc = DesignBuilder().stitch(1, 1).stitchOffset(5000).trailing({1, 2, 3}).bytes();
    drives.write("C:\\odd.kxd", pc);
    auto temp = ConvertForCard("C:\\odd.kxd");
    ASSERT_TRUE(temp);
    EXPECT_EQ(drives.read(*temp), pc);
}

TEST_F(ConvertForCardTest, OtherFileNamesAreRefusedUnopened) {
    FaultPlatform counting(drives.backend());
    drives.write("C:\\design.txt", DesignBuilder().move(0, 0).end().bytes());
    EXPECT_FALSE(ConvertForCard("C:\\design.txt"));
    EXPECT_EQ(counting.operationCount(), 0);
    EXPECT_FALSE(drives.exists("T:\\$$SndDat.tp$"));
}

TEST_F(ConvertForCardTest, UnusableDesignsGiveNothing) {
    drives.write("C:\\empty.kxd", {});
    drives.write("C:\\full.kxd", DesignBuilder().stitch(1, 1).end().recordCount(65534).bytes());
    EXPECT_FALSE(ConvertForCard("C:\\missing.kxd"));
    EXPECT_FALSE(ConvertForCard("C:\\empty.kxd"));
    EXPECT_FALSE(ConvertForCard("C:\\full.kxd"));
    EXPECT_FALSE(drives.exists("T:\\$$SndDat.tp$"));
}

TEST_F(ConvertForCardTest, ATemporaryFileThatCannotBeWrittenGivesNothing) {
    drives.write("C:\\a.kxd", DesignBuilder().stitch(1, 1).end().bytes());
    {
        FaultPlatform writeProtected(drives.backend());
        writeProtected.setReadOnly('T');
        EXPECT_FALSE(ConvertForCard("C:\\a.kxd"));
    }
    FaultPlatform full(drives.backend());
    full.setWriteBudget('T', 100);
    EXPECT_FALSE(ConvertForCard("C:\\a.kxd"));
}

}  // namespace
}  // namespace kx
