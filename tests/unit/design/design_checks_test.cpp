// Name, hoop, margin, pair-mark and record-count checks, on real files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "design/design_checks.h"
#include "design/design_file.h"
#include "support/fault_platform.h"
#include "support/design_builder.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using test::FaultPlatform;
using test::TestDrives;
namespace fs = std::filesystem;

TEST(IsDesignFileName, AcceptsTheExtensionInAnyCase) {
    for (const char* yes : {"a.kxd", "A.KxD", "a.kxd..", "C:\\Designs\\ROSE.KXD", "x.y.kxd", ".kxd"})
        EXPECT_TRUE(IsDesignFileName(yes)) << yes;
    for (const char* no : {"a.kxdx", "kxd", "a.", "", "...", "a.txt", "a.kx", "C:\\a.kxd\\b", "akxd"})
        EXPECT_FALSE(IsDesignFileName(no)) << no;
}

TEST(ClassifyHoop, GivesTheSmallestHoopThatHolds) {
    EXPECT_EQ(ClassifyHoop(250, 250, 250, 250), HOOP_C);
    EXPECT_EQ(ClassifyHoop(251, 100, 100, 100), HOOP_AF);
    EXPECT_EQ(ClassifyHoop(100, 100, 100, 551), HOOP_B);
    EXPECT_EQ(ClassifyHoop(640, 100, 100, 100), HOOP_B);
    EXPECT_EQ(ClassifyHoop(630, 550, 630, 550), HOOP_AF);
    EXPECT_EQ(ClassifyHoop(700, 1000, 700, 1000), HOOP_B);
    EXPECT_EQ(ClassifyHoop(701, 0, 0, 0), HOOP_NONE);
    EXPECT_EQ(ClassifyHoop(0, 0, 0, 1001), HOOP_NONE);
    EXPECT_EQ(ClassifyHoop(-5000, INT32_MIN, -1, -700), HOOP_C);
}

DesignHeader Extents(std::uint32_t hoop, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    return DesignBuilder().hoopCode(hoop).extents(x1, y1, x2, y2).header();
}

void ExpectMargins(const DesignHeader& h, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    EXPECT_EQ(h.marginX1(), x1);
    EXPECT_EQ(h.marginY1(), y1);
    EXPECT_EQ(h.marginX2(), x2);
    EXPECT_EQ(h.marginY2(), y2);
}

TEST(NormalizedHoopFields, ClassifiesOnlyWhenNoHoopIsSetAndMeasuresMarginsInHoopAF) {
    struct Case {
        std::uint32_t storedHoop;
        std::int32_t x1, y1, x2, y2;
        std::uint32_t hoop;
        std::int32_t margins[4];
    } cases[] = {
        {0, 250, 250, 250, 250, 1, {380, 300, 380, 300}},
        {9, 251, 100, 100, 100, 3, {379, 450, 530, 450}},
        {2, 10, 20, 30, 40, 2, {620, 530, 600, 510}},
        {2, 640, 100, 100, 100, 2, {-1, -1, -1, -1}},
        {3, 630, 550, -10, -100, 3, {0, 0, 640, 650}},
        // 550 - INT32_MIN does not fit in 32 bits: it wraps negative, so no margin is kept.
        {1, 0, 0, 0, INT32_MIN, 1, {-1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        auto n = NormalizedHoopFields(Extents(c.storedHoop, c.x1, c.y1, c.x2, c.y2));
        ASSERT_TRUE(n) << c.x1;
        EXPECT_EQ(n->hoopCode(), c.hoop) << c.x1;
        ExpectMargins(*n, c.margins[0], c.margins[1], c.margins[2], c.margins[3]);
    }
    EXPECT_FALSE(NormalizedHoopFields(Extents(0, 701, 0, 0, 0)));
}

TEST(NormalizeHoopFieldsInMemory, SetsHoopAFForCodeZeroWithoutClassifying) {
    DesignHeader tooWide = Extents(0, 900, 10, 10, 10);
    NormalizeHoopFieldsInMemory(tooWide);
    EXPECT_EQ(tooWide.hoopCode(), 3u);
    ExpectMargins(tooWide, -1, -1, -1, -1);

    DesignHeader seven = Extents(7, 30, 50, 0, 0);
    NormalizeHoopFieldsInMemory(seven);
    EXPECT_EQ(seven.hoopCode(), 7u);
    ExpectMargins(seven, 600, 500, 630, 550);
}

TEST(NormalizeHoopFieldsInMemory, WorksOnTheDesignBytesAndLeavesShortOnesAlone) {
    std::vector<std::uint8_t> design = DesignBuilder().stitch(20, -30).end().bytes();
    std::vector<std::uint8_t> stream(design.begin() + 116, design.end());
    NormalizeHoopFieldsInMemory(std::span(design));
    auto h = DesignHeader::parse(design);
    EXPECT_EQ(h->hoopCode(), 3u);
    ExpectMargins(*h, 610, 550, 630, 520);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), design.begin() + 116));

    std::vector<std::uint8_t> shortDesign(115, 0);
    NormalizeHoopFieldsInMemory(std::span(shortDesign));
    EXPECT_EQ(shortDesign, std::vector<std::uint8_t>(115, 0));
}

// Files on a fixed drive C:, with their time stamps pushed into the past so a rewrite shows.
class DesignFileTest : public ::testing::Test {
protected:
    void SetUp() override { drives.addFixed('C'); }

    std::string put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::string path = "C:\\" + name;
        drives.write(path, bytes);
        fs::last_write_time(drives.host(path), fs::file_time_type::clock::now() - std::chrono::hours(48));
        return path;
    }
    fs::file_time_type stamp(const std::string& path) { return fs::last_write_time(drives.host(path)); }

    TestDrives drives;
};

using NormalizeHoopFieldsTest = DesignFileTest;

TEST_F(NormalizeHoopFieldsTest, ClassifiesAndRewritesOnlyTheHeader) {
    DesignBuilder design = DesignBuilder().colors({4}).extents(250, 250, 250, 250).headerByte(0x05, 0xAB).headerByte(0x70, 0xCD);
    design.stitch(1, 1).end().trailing({9, 9});
    std::string path = put("rose.kxd", design.bytes());
    EXPECT_TRUE(NormalizeHoopFields(path));
    std::vector<std::uint8_t> expected = DesignBuilder(design).hoopCode(1).margins(380, 300, 380, 300).bytes();
    EXPECT_EQ(drives.read(path), expected);
}

TEST_F(NormalizeHoopFieldsTest, NoHoopFitsLeavesTheFileUnchanged) {
    std::vector<std::uint8_t> bytes = DesignBuilder().extents(701, 0, 0, 0).end().bytes();
    std::string path = put("wide.kxd", bytes);
    auto before = stamp(path);
    EXPECT_FALSE(NormalizeHoopFields(path));
    EXPECT_EQ(drives.read(path), bytes);
    EXPECT_EQ(stamp(path), before);
}

TEST_F(NormalizeHoopFieldsTest, AnAlreadyNormalisedHeaderIsNotRewritten) {
    // On a write-protected drive an attempted rewrite would answer no.
    FaultPlatform writeProtected(drives.backend());
    writeProtected.setReadOnly('C');
    std::string hoopB = put("b.kxd", DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).margins(-1, -1, -1, -1).end().bytes());
    std::string hoopC = put("c.kxd", DesignBuilder().stitch(10, 10).end().normalized().bytes());
    auto beforeB = stamp(hoopB);
    auto beforeC = stamp(hoopC);
    EXPECT_TRUE(NormalizeHoopFields(hoopB));
    EXPECT_TRUE(NormalizeHoopFields(hoopC));
    EXPECT_EQ(stamp(hoopB), beforeB);
    EXPECT_EQ(stamp(hoopC), beforeC);
}

TEST_F(NormalizeHoopFieldsTest, HoopBBeyondAFKeepsItsCodeAndGetsMarginsMinusOne) {
    std::string path = put("b.kxd", DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).margins(0, 0, 0, 0).end().bytes());
    EXPECT_TRUE(NormalizeHoopFields(path));
    auto h = ReadDesignHeader(path);
    EXPECT_EQ(h->hoopCode(), 2u);
    ExpectMargins(*h, -1, -1, -1, -1);
}

TEST_F(NormalizeHoopFieldsTest, UnreadableFilesAnswerNo) {
    EXPECT_FALSE(NormalizeHoopFields("C:\\missing.kxd"));
    EXPECT_FALSE(NormalizeHoopFields(put("empty.kxd", {})));
    std::vector<std::uint8_t> header = DesignBuilder().extents(1, 1, 1, 1).bytes();
    header.pop_back();
    std::string shortFile = put("short.kxd", header);
    EXPECT_FALSE(NormalizeHoopFields(shortFile));
    EXPECT_EQ(drives.read(shortFile), header);
}

TEST_F(NormalizeHoopFieldsTest, AFailedWriteAfterTheOpenStillCountsAsDone) {
    std::vector<std::uint8_t> bytes = DesignBuilder().stitch(5, 5).end().bytes();
    std::string path = put("d.kxd", bytes);
    {
        FaultPlatform full(drives.backend());
        full.setWriteBudget('C', 0);
        EXPECT_TRUE(NormalizeHoopFields(path));
    }
    FaultPlatform writeProtected(drives.backend());
    writeProtected.setReadOnly('C');
    EXPECT_FALSE(NormalizeHoopFields(path));
    EXPECT_EQ(drives.read(path), bytes);
}

using CheckPairPartTest = DesignFileTest;

TEST_F(CheckPairPartTest, AMarkedDesignUnderAPairNameKeepsItsMark) {
    std::vector<std::uint8_t> bytes = DesignBuilder().pairMark('B', 0x33).end().bytes();
    std::string path = put("tandem2.kxd", bytes);
    auto before = stamp(path);
    EXPECT_TRUE(CheckPairPart(path, "E:\\EmbF5\\LEAF2.kxd"));
    EXPECT_TRUE(CheckPairPart(path, "leaf1"));
    EXPECT_EQ(drives.read(path), bytes);
    EXPECT_EQ(stamp(path), before);
}

TEST_F(CheckPairPartTest, AMarkedDesignUnderAnotherNameLosesBothMarkBytes) {
    DesignBuilder design = DesignBuilder().pairMark('B', 0x33).stitch(1, 2).end();
    for (const char* target : {"leaf3.kxd", "leaf.kxd", ".kxd", "C:\\dir2\\leaf"}) {
        std::string path = put("tandem2.kxd", design.bytes());
        EXPECT_FALSE(CheckPairPart(path, target)) << target;
        EXPECT_EQ(drives.read(path), DesignBuilder(design).pairMark(0, 0).bytes()) << target;
    }
}

TEST_F(CheckPairPartTest, AnUnmarkedOrUnreadableDesignIsNoPairAndIsNotWritten) {
    std::vector<std::uint8_t> lower = DesignBuilder().pairMark('b', 1).end().bytes();
    std::vector<std::uint8_t> zero = DesignBuilder().pairMark(0, 1).end().bytes();
    std::vector<std::uint8_t> shortHeader(100, 'A');
    for (const auto& bytes : {lower, zero, shortHeader}) {
        std::string path = put("d.kxd", bytes);
        auto before = stamp(path);
        EXPECT_FALSE(CheckPairPart(path, "x.kxd"));
        EXPECT_EQ(drives.read(path), bytes);
        EXPECT_EQ(stamp(path), before);
    }
    EXPECT_FALSE(CheckPairPart("C:\\missing.kxd", "x1.kxd"));
}

TEST_F(CheckPairPartTest, AFailedClearIsNotReported) {
    FaultPlatform full(drives.backend());
    full.setWriteBudget('C', 0);
    std::vector<std::uint8_t> bytes = DesignBuilder().pairMark('Q').end().bytes();
    std::string path = put("t1.kxd", bytes);
    EXPECT_FALSE(CheckPairPart(path, "plain.kxd"));
    EXPECT_EQ(drives.read(path), bytes);
}

TEST(IsPairPartName, LastCharacterOfTheBaseName) {
    for (const char* yes : {"a1.kxd", "B2", "C:\\x\\leaf2.kxd", "1.kxd", "a.b2.kxd", "a2.1"})
        EXPECT_TRUE(IsPairPartName(yes)) << yes;
    for (const char* no : {"a3.kxd", "a.kxd", "a1.kxd\\b.kxd", ".kxd", "", "C:\\dir1\\", "a.2"})
        EXPECT_FALSE(IsPairPartName(no)) << no;
}

using ExceedsRecordLimitTest = DesignFileTest;

TEST_F(ExceedsRecordLimitTest, ComparesTheStoredCountSigned) {
    EXPECT_FALSE(ExceedsRecordLimit(put("a.kxd", DesignBuilder().recordCount(65535).bytes()), kCardRecordLimit));
    EXPECT_TRUE(ExceedsRecordLimit(put("b.kxd", DesignBuilder().recordCount(65536).bytes()), kCardRecordLimit));
    EXPECT_FALSE(ExceedsRecordLimit(put("c.kxd", DesignBuilder().recordCount(-70000).bytes()), kCardRecordLimit));
    EXPECT_TRUE(ExceedsRecordLimit(put("d.kxd", DesignBuilder().recordCount(1).bytes()), 0));
}

TEST_F(ExceedsRecordLimitTest, ReadsOnlyTheStartOfTheFile) {
    std::vector<std::uint8_t> head(0x20, 0);
    head[0x1E] = 0x01;  // recordCount 0x10000 in the first 32 bytes, nothing after
    EXPECT_TRUE(ExceedsRecordLimit(put("head.kxd", head), kCardRecordLimit));
    head.pop_back();
    EXPECT_FALSE(ExceedsRecordLimit(put("cut.kxd", head), -1));
    EXPECT_FALSE(ExceedsRecordLimit(put("empty.kxd", {}), -1));
    EXPECT_FALSE(ExceedsRecordLimit("C:\\missing.kxd", -1));
}

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& entry : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST_F(DesignFileTest, EveryCheckClosesItsFilesOnEveryPath) {
    FaultPlatform full(drives.backend());
    full.setWriteBudget('C', 0);
    std::string fits = put("fits.kxd", DesignBuilder().stitch(1, 1).end().bytes());
    std::string wide = put("wide.kxd", DesignBuilder().extents(9000, 0, 0, 0).end().bytes());
    std::string marked = put("marked.kxd", DesignBuilder().pairMark('A').end().bytes());
    std::string cut = put("cut.kxd", std::vector<std::uint8_t>(50, 1));
    std::size_t before = OpenDescriptors();
    for (const std::string& path : {fits, wide, marked, cut}) {
        NormalizeHoopFields(path);
        CheckPairPart(path, "other.kxd");
        ExceedsRecordLimit(path, 0);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace kx
