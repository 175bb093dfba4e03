// Name, hoop, margin, pair-mark and record-count checks, on real files.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>

#include "design/design_checks.h"
#include "support/design_builder.h"
#include "support/fault_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using Bytes = std::vector<std::uint8_t>;
using Box = std::array<std::int32_t, 4>;  // x1, y1, x2, y2 of extents or margins
namespace fs = std::filesystem;

Box BoxOf(const DesignHeader& h) { return {h.marginX1(), h.marginY1(), h.marginX2(), h.marginY2()}; }

TEST(FileNameChecks, DesignExtensionInAnyCaseAndPairPartByTheLastCharacterOfTheBaseName) {
    for (const char* yes : {"a.kxd", "A.KxD", "a.kxd..", "C:\\Designs\\ROSE.KXD", "x.y.kxd", ".kxd"}) EXPECT_TRUE(IsDesignFileName(yes)) << yes;
    for (const char* no : {"a.kxdx", "kxd", "a.", "", "...", "a.txt", "a.kx", "C:\\a.kxd\\b", "akxd"}) EXPECT_FALSE(IsDesignFileName(no)) << no;
    for (const char* yes : {"a1.kxd", "B2", "C:\\x\\leaf2.kxd", "1.kxd", "a.b2.kxd", "a2.1"}) EXPECT_TRUE(IsPairPartName(yes)) << yes;
    for (const char* no : {"a3.kxd", "a.kxd", "a1.kxd\\b.kxd", ".kxd", "", "C:\\dir1\\", "a.2"}) EXPECT_FALSE(IsPairPartName(no)) << no;
}

TEST(ClassifyHoop, GivesTheSmallestHoopThatHolds) {
    std::tuple<Box, HoopCode> cases[] = {
        {{250, 250, 250, 250}, HOOP_C},  {{251, 100, 100, 100}, HOOP_AF}, {{630, 550, 630, 550}, HOOP_AF},
        {{100, 100, 100, 551}, HOOP_B},  {{640, 100, 100, 100}, HOOP_B},  {{700, 1000, 700, 1000}, HOOP_B},
        {{701, 0, 0, 0}, HOOP_NONE},     {{0, 0, 0, 1001}, HOOP_NONE},    {{-5000, INT32_MIN, -1, -700}, HOOP_C}};
    for (auto [e, hoop] : cases) EXPECT_EQ(ClassifyHoop(e[0], e[1], e[2], e[3]), hoop) << e[0] << " " << e[3];
}

// The file form classifies only when no hoop is set, the in-memory form sets A(F) for code 0.
TEST(NormalizedHoopFields, BothFormsMeasureTheMarginsInHoopAFAllMinusOneWhenAnyIsNegative) {
    struct Case { std::uint32_t stored; Box extents; std::uint32_t file, inMemory; Box margins; } cases[] = {
        {0, {250, 250, 250, 250}, 1, 3, {380, 300, 380, 300}},
        {9, {251, 100, 100, 100}, 3, 9, {379, 450, 530, 450}},
        {7, {30, 50, 0, 0}, 1, 7, {600, 500, 630, 550}},
        {2, {10, 20, 30, 40}, 2, 2, {620, 530, 600, 510}},
        {2, {640, 100, 100, 100}, 2, 2, {-1, -1, -1, -1}},
        {3, {630, 550, -10, -100}, 3, 3, {0, 0, 640, 650}},
        // 550 - INT32_MIN does not fit in 32 bits: it wraps negative, so no margin is kept.
        {1, {0, 0, 0, INT32_MIN}, 1, 1, {-1, -1, -1, -1}},
        {0, {701, 10, 10, 10}, 0, 3, {-1, -1, -1, -1}},  // no hoop holds it: the file form fails
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.extents[0]);
        DesignHeader h = DesignBuilder().hoopCode(c.stored).extents(c.extents[0], c.extents[1], c.extents[2], c.extents[3]).header();
        auto n = NormalizedHoopFields(h);
        EXPECT_EQ(n ? n->hoopCode() : 0, c.file);
        if (n) { EXPECT_EQ(BoxOf(*n), c.margins); }
        NormalizeHoopFieldsInMemory(h);
        EXPECT_EQ(h.hoopCode(), c.inMemory);
        EXPECT_EQ(BoxOf(h), c.margins);
    }
    // Over a design's bytes only the header changes; one shorter than the header is left alone.
    DesignBuilder design = DesignBuilder().stitch(20, -30).end().trailing({5});
    Bytes bytes = design.bytes(), shortDesign(115, 0);
    NormalizeHoopFieldsInMemory(std::span(bytes));
    NormalizeHoopFieldsInMemory(std::span(shortDesign));
    EXPECT_EQ(bytes, DesignBuilder(design).hoopCode(3).margins(610, 550, 630, 520).bytes());
    EXPECT_EQ(shortDesign, Bytes(115, 0));
}

// Files on a fixed drive C:, with their time stamps pushed into the past so a rewrite shows.
class DesignFileTest : public ::testing::Test {
protected:
    void SetUp() override { drives.addFixed('C'); }
    std::string put(const std::string& name, const Bytes& bytes) {
        std::string path = "C:\\" + name;
        drives.write(path, bytes);
        fs::last_write_time(drives.host(path), fs::file_time_type::clock::now() - std::chrono::hours(48));
        return path;
    }
    fs::file_time_type stamp(const std::string& path) { return fs::last_write_time(drives.host(path)); }
    test::TestDrives drives;
};

// A design no hoop holds, or a file shorter than the header, is left as it was.
TEST_F(DesignFileTest, NormalizeHoopFieldsRewritesTheHeaderOnlyWhenTheHoopOrAMarginChanges) {
    DesignBuilder rose = DesignBuilder().colors({4}).extents(250, 250, 250, 250).headerByte(0x05, 0xAB).headerByte(0x70, 0xCD);
    DesignBuilder hoopB = DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).end(), normal = DesignBuilder().stitch(10, 10).end().normalized();
    Bytes roseBytes = rose.stitch(1, 1).end().trailing({9, 9}).bytes(), cut = DesignBuilder().extents(1, 1, 1, 1).bytes();
    Bytes hoopBUnset = DesignBuilder(hoopB).margins(-1, -1, -1, -1).bytes(), wide = DesignBuilder().extents(701, 0, 0, 0).end().bytes();
    cut.pop_back();
    struct Case { Bytes before; bool done; Bytes after; } cases[] = {
        {roseBytes, true, DesignBuilder(rose).hoopCode(1).margins(380, 300, 380, 300).bytes()},
        {DesignBuilder(hoopB).margins(0, 0, 0, 0).bytes(), true, hoopBUnset}, {hoopBUnset, true, hoopBUnset},
        {normal.bytes(), true, normal.bytes()}, {wide, false, wide}, {cut, false, cut}, {{}, false, {}}};
    for (const Case& c : cases) {
        std::string path = put("d.kxd", c.before);
        auto before = stamp(path);
        EXPECT_EQ(NormalizeHoopFields(path), c.done) << c.before.size();
        EXPECT_EQ(drives.read(path), c.after);
        EXPECT_EQ(stamp(path) == before, c.before == c.after);
    }
    EXPECT_FALSE(NormalizeHoopFields("C:\\missing.kxd"));
}

TEST_F(DesignFileTest, AFailedWriteBackAfterASuccessfulOpenIsNotReported) {
    Bytes plain = DesignBuilder().stitch(5, 5).end().bytes(), marked = DesignBuilder().pairMark('Q').end().bytes();
    std::string plainPath = put("d.kxd", plain), markedPath = put("t1.kxd", marked);
    {
        test::FaultPlatform full(drives.backend());
        full.setWriteBudget('C', 0);
        EXPECT_TRUE(NormalizeHoopFields(plainPath));
        EXPECT_FALSE(CheckPairPart(markedPath, "plain.kxd"));
    }
    test::FaultPlatform writeProtected(drives.backend());  // the open to write fails: that is reported
    writeProtected.setReadOnly('C');
    EXPECT_FALSE(NormalizeHoopFields(plainPath));
}

TEST_F(DesignFileTest, CheckPairPartKeepsAMarkOnlyUnderAPairNameAndWritesOnlyToClearIt) {
    DesignBuilder marked = DesignBuilder().pairMark('B', 0x33).stitch(1, 2).end();
    Bytes keep = marked.bytes(), cleared = DesignBuilder(marked).pairMark(0, 0).bytes();
    Bytes zero = DesignBuilder().pairMark(0, 1).end().bytes(), shortHeader(100, 'A');
    struct Case { Bytes before; const char* target; bool pair; Bytes after; } cases[] = {
        {keep, "E:\\EmbF5\\LEAF2.kxd", true, keep}, {keep, "leaf1", true, keep}, {keep, "leaf3.kxd", false, cleared},
        {keep, "leaf.kxd", false, cleared}, {keep, ".kxd", false, cleared}, {keep, "C:\\dir2\\leaf", false, cleared},
        {zero, "x.kxd", false, zero}, {shortHeader, "x.kxd", false, shortHeader}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        std::string path = put("tandem2.kxd", c.before);
        auto before = stamp(path);
        EXPECT_EQ(CheckPairPart(path, c.target), c.pair);
        EXPECT_EQ(drives.read(path), c.after);
        EXPECT_EQ(stamp(path) == before, c.before == c.after);
    }
    EXPECT_FALSE(CheckPairPart("C:\\missing.kxd", "x1.kxd"));
}

TEST_F(DesignFileTest, ExceedsRecordLimitComparesTheSignedCountAtTheStartOfTheFile) {
    Bytes head(0x20, 0);
    head[0x1E] = 0x01;  // recordCount 0x10000 in the first 32 bytes, nothing after
    struct Case { Bytes bytes; std::int32_t limit; bool over; } cases[] = {
        {DesignBuilder().recordCount(65535).bytes(), kCardRecordLimit, false},
        {DesignBuilder().recordCount(65536).bytes(), kCardRecordLimit, true},
        {DesignBuilder().recordCount(-70000).bytes(), kCardRecordLimit, false}, {DesignBuilder().recordCount(1).bytes(), 0, true},
        {head, kCardRecordLimit, true}, {Bytes(head.begin(), head.end() - 1), -1, false}, {{}, -1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExceedsRecordLimit(put("r.kxd", c.bytes), c.limit), c.over) << c.bytes.size() << " " << c.limit;
    EXPECT_FALSE(ExceedsRecordLimit("C:\\missing.kxd", -1));
}

}  // namespace
}  // namespace kx
