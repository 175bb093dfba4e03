// The header's bytes, the card conversion's rules and limits, and the design checks on real files.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/design_header.h"
#include "support/design_builder.h"
#include "support/fault_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::DesignBuilder;
using Bytes = std::vector<std::uint8_t>;
using Outcome = CardConversion::Outcome;
using Refusal = CardConversion::Refusal;

// Every field at its offset, little-endian; the builder's colour table and records after it.
TEST(DesignHeader, GoldenBytesOfTheHeaderAndTheBuildersStream) {
    DesignHeader h;
    h.setStitchOffset(0x04030201), h.setPairMark('B', 0x7F), h.setColorCount(0x0C0B0A09), h.setRecordCount(-2), h.setHoopCode(3);
    h.setExtentX1(0x11), h.setExtentY1(0x22), h.setExtentX2(0x33), h.setExtentY2(0x44);
    h.setMarginX1(-1), h.setMarginY1(0x0100), h.setMarginX2(0x55), h.setMarginY2(0x66);
    Bytes expected(116, 0);
    const Bytes fields{1, 2, 3, 4, 9, 0xA, 0xB, 0xC, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0x11, 0, 0, 0, 0x22, 0, 0, 0, 0x33, 0, 0, 0,
                       0x44, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0x55, 0, 0, 0, 0x66, 0, 0, 0};
    std::copy_n(fields.begin(), 4, expected.begin());
    expected[0x16] = 'B', expected[0x17] = 0x7F;
    std::copy(fields.begin() + 4, fields.end(), expected.begin() + 0x18);
    EXPECT_EQ(Bytes(h.bytes().begin(), h.bytes().end()), expected);
    // What parses comes back byte for byte; a file shorter than the header does not parse.
    expected.push_back(0xAA);
    const DesignHeader parsed = DesignHeader::parse(expected).value_or(DesignHeader());
    EXPECT_TRUE(std::ranges::equal(parsed.bytes(), std::span(expected).first(116)));
    EXPECT_EQ(std::pair(DesignHeader::parse(Bytes(115)).has_value(), DesignHeader::parse(Bytes(116)).has_value()), std::pair(false, true));
    Bytes file = DesignBuilder().colors({0x11, 0x22}).stitch(10, -5).move(-30, 0).colorChange(0, 40).moveSecondForm(1, 1).end().bytes();
    EXPECT_EQ(Bytes(file.begin() + 0x74, file.end()),
              (Bytes{0x11, 0, 0, 0, 0x22, 0, 0, 0, 10, 0xFB, 0x80, 0x02, 0xE2, 0, 0x80, 0x01, 0, 40, 0x80, 0x04, 1, 1, 0x80, 0x10}));
}

// A leading move where the stream opens with a stitch; second-form moves become moves; colour
// changes split into a change and a move; what follows the end record goes.
TEST(CardConversion, RewritesMovesSplitsColourChangesAndDropsWhatFollowsTheEnd) {
    auto d = [] { return DesignBuilder().colors({1, 2}); };
    std::pair<DesignBuilder, DesignBuilder> cases[] = {
        {d().moveSecondForm(0, 0).stitch(1, 1).moveSecondForm(7, -7).end(), d().move(0, 0).stitch(1, 1).move(7, -7).end()},
        {d().move(0, 0).colorChange(5, 3).stitch(1, 1).colorChange(5, 0).colorChange(0, 0).colorChange(0, -1).end(),
         d().move(0, 0).colorChange(0, 0).move(5, 3).stitch(1, 1).colorChange(0, 0).move(5, 0).colorChange(0, 0)
             .colorChange(0, 0).move(0, -1).end()},
        {d().move(0, 0).stitch(1, 1).end().trailing({1, 2, 3, 0x80, 0x10}), d().move(0, 0).stitch(1, 1).end()},  // odd
        {d().stitch(1, 0).moveSecondForm(4, 4).colorChange(1, 2).stitch(0, 1).end().trailing({0x80, 0x10, 0x80}),
         d().move(0, 0).stitch(1, 0).move(4, 4).colorChange(0, 0).move(1, 2).stitch(0, 1).end()},
    };
    const auto converted = [](const DesignBuilder& b) { auto c = ConvertDesignForCard(b.bytes()); return std::pair(c.outcome, c.bytes); };
    for (const auto& [in, expected] : cases) EXPECT_EQ(converted(in), std::pair(Outcome::Converted, expected.bytes())) << in.records();
    // Hundreds of splits; a stored record count that disagrees is raised by the records added.
    DesignBuilder design = DesignBuilder().move(0, 0), expected = DesignBuilder().move(0, 0);
    for (int i = 0; i < 400; ++i) design.stitch(1, 1).colorChange(2, -2), expected.stitch(1, 1).colorChange(0, 0).move(2, -2);
    EXPECT_EQ(converted(design.end().trailing({9, 9})), std::pair(Outcome::Converted, expected.end().bytes()));
    for (std::int32_t stored : {1, 500, 64000})
        EXPECT_EQ(converted(DesignBuilder(design).recordCount(stored)).second, DesignBuilder(expected).recordCount(stored + 800).bytes());
}

// No end record (or half of one, or one as a parameter), a stream beyond the file or in the
// header, a short file: copied as they are. Growth past the limit and ambiguous streams: refused.
TEST(CardConversion, PlainCopiesAndRefusals) {
    for (const Bytes& bytes : {DesignBuilder().stitch(1, 1).colorChange(1, 1).bytes(),
                               DesignBuilder().stitch(1, 1).trailing({0x80}).bytes(),
                               DesignBuilder().move(0, 0).control(0x01).control(0x10).bytes(),
                               DesignBuilder().stitch(1, 1).end().stitchOffset(1000).bytes(),
                               DesignBuilder().stitch(1, 1).end().stitchOffset(0x20).bytes(), Bytes(60, 0)}) {
        CardConversion c = ConvertDesignForCard(bytes);
        EXPECT_EQ(std::pair(c.outcome, c.bytes.empty()), std::pair(Outcome::PlainCopy, true)) << bytes.size();
    }
    DesignBuilder move = DesignBuilder().stitch(1, 1).end(), moveAndSplit = DesignBuilder().stitch(1, 1).colorChange(1, 0).end();
    std::tuple<DesignBuilder, std::int32_t, bool> cases[] = {
        {move, 65533, true}, {move, 65534, false}, {moveAndSplit, 65531, true}, {moveAndSplit, 65532, false}, {moveAndSplit, INT32_MAX, false}};
    for (const auto& [design, stored, fits] : cases) {
        CardConversion r = ConvertDesignForCard(DesignBuilder(design).recordCount(stored).bytes());
        if (fits) EXPECT_EQ(DesignHeader::parse(r.bytes).value_or(DesignHeader()).recordCount(), 65535) << stored;
        else EXPECT_EQ(std::pair(r.outcome, r.refusal), std::pair(Outcome::Refused, Refusal::RecordLimit)) << stored;
    }
    EXPECT_EQ(ConvertDesignForCard({}).refusal, Refusal::EmptyFile);
    // A record count of 0 or less counts not even the end record: never converted, nor copied as it is.
    for (std::int32_t stored : {0, -1, -40, INT32_MIN})
        for (const DesignBuilder& design : {DesignBuilder(move), DesignBuilder().stitch(1, 1).end().stitchOffset(1000), DesignBuilder().stitch(1, 1), DesignBuilder()}) {
            CardConversion r = ConvertDesignForCard(DesignBuilder(design).recordCount(stored).bytes());
            EXPECT_EQ(std::tuple(r.outcome, r.refusal, r.bytes.size()), std::tuple(Outcome::Refused, Refusal::RecordCount, std::size_t{0})) << stored;
        }
    // This colour change's displacement reads as another change: the two walks over the stream disagree.
    CardConversion ambiguous = ConvertDesignForCard(DesignBuilder().move(0, 0).control(1).control(1).stitch(5, 3).end().bytes());
    EXPECT_EQ(std::pair(ambiguous.outcome, ambiguous.refusal), std::pair(Outcome::Refused, Refusal::RecordsUnplaceable));
}

using Box = std::array<std::int32_t, 4>;  // x1, y1, x2, y2 of extents or margins
namespace fs = std::filesystem;

TEST(FileNameChecks, DesignExtensionInAnyCase) {
    for (const char* yes : {"a.kxd", "A.KxD", "a.kxd..", "C:\\Designs\\ROSE.KXD", "x.y.kxd", ".kxd"}) EXPECT_TRUE(IsDesignFileName(yes)) << yes;
    for (const char* no : {"a.kxdx", "kxd", "a.", "", "...", "a.txt", "a.kx", "C:\\a.kxd\\b", "akxd"}) EXPECT_FALSE(IsDesignFileName(no)) << no;
}

// The smallest hoop that holds; the file form classifies only code 0, the in-memory form sets A(F)
// for it; margins in that hoop, all -1 when any is negative.
TEST(HoopFields, ClassifiedAndNormalisedAtEveryBound) {
    std::tuple<Box, HoopCode> hoops[] = {
        {{250, 250, 250, 250}, HoopCode::C},  {{251, 100, 100, 100}, HoopCode::AF}, {{630, 550, 630, 550}, HoopCode::AF},
        {{100, 100, 100, 551}, HoopCode::B},  {{640, 100, 100, 100}, HoopCode::B},  {{700, 1000, 700, 1000}, HoopCode::B},
        {{701, 0, 0, 0}, HoopCode::None},     {{0, 0, 0, 1001}, HoopCode::None},    {{-5000, INT32_MIN, -1, -700}, HoopCode::C}};
    for (auto [e, hoop] : hoops) EXPECT_EQ(ClassifyHoop(e[0], e[1], e[2], e[3]), hoop) << e[0] << " " << e[3];
    struct Case { std::uint32_t stored; Box extents; std::uint32_t file, inMemory; Box margins; } cases[] = {
        {0, {250, 250, 250, 250}, 1, 3, {380, 300, 380, 300}}, {9, {251, 100, 100, 100}, 3, 9, {379, 450, 530, 450}},
        {7, {30, 50, 0, 0}, 1, 7, {600, 500, 630, 550}},       {2, {10, 20, 30, 40}, 2, 2, {620, 530, 600, 510}},
        {2, {640, 100, 100, 100}, 2, 2, {-1, -1, -1, -1}},    {3, {630, 550, -10, -100}, 3, 3, {0, 0, 640, 650}},
        {1, {0, 0, 0, INT32_MIN}, 1, 1, {-1, -1, -1, -1}},    // 550 - INT32_MIN wraps negative: no margin kept
        {0, {701, 10, 10, 10}, 0, 3, {-1, -1, -1, -1}},       // no hoop holds it: the file form fails
    };
    auto marginsOf = [](const DesignHeader& h) { return Box{h.marginX1(), h.marginY1(), h.marginX2(), h.marginY2()}; };
    for (Case c : cases) {
        SCOPED_TRACE(c.extents[0]);
        DesignHeader h = DesignBuilder().hoopCode(c.stored).extents(c.extents[0], c.extents[1], c.extents[2], c.extents[3]).header();
        auto n = NormalizedHoopFieldsForPcDesign(h);
        EXPECT_EQ(n ? n->hoopCode() : 0, c.file);
        if (n) { EXPECT_EQ(marginsOf(*n), c.margins); }
        NormalizeHoopFieldsForHostDesign(h);
        EXPECT_EQ(std::pair(h.hoopCode(), marginsOf(h)), std::pair(c.inMemory, c.margins));
    }
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
    test::TestDrives drives;
};

// Hoop fields normalised; a pair mark kept only under the target's pair name. The file is rewritten
// only when its bytes change; one no hoop holds, or shorter than the header, is left alone.
TEST_F(DesignFileTest, HoopAndPairChecksRewriteTheHeaderOnlyWhenItChanges) {
    DesignBuilder rose = DesignBuilder().colors({4}).extents(250, 250, 250, 250).headerByte(0x05, 0xAB).stitch(1, 1).end().trailing({9});
    DesignBuilder hoopB = DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).end(), normal = DesignBuilder().stitch(10, 10).end().normalized();
    DesignBuilder marked = DesignBuilder().pairMark('B', 0x33).stitch(1, 2).end();
    const Bytes unset = DesignBuilder(hoopB).margins(-1, -1, -1, -1).bytes(), wide = DesignBuilder().extents(701, 0, 0, 0).end().bytes();
    const Bytes keep = marked.bytes(), cleared = DesignBuilder(marked).pairMark(0, 0).bytes(), zero = DesignBuilder().pairMark(0, 1).end().bytes();
    const auto hoop = [](DesignFileInMemory& f) { return NormalizeHoopFieldsForPcDesign(f); };
    const auto pair = [](const char* target) { return [target](DesignFileInMemory& f) { return CheckPairPart(f, target); }; };
    const std::tuple<std::function<bool(DesignFileInMemory&)>, Bytes, bool, Bytes> cases[] = {
        {hoop, rose.bytes(), true, DesignBuilder(rose).hoopCode(1).margins(380, 300, 380, 300).bytes()},
        {hoop, DesignBuilder(hoopB).margins(0, 0, 0, 0).bytes(), true, unset}, {hoop, unset, true, unset},
        {hoop, normal.bytes(), true, normal.bytes()}, {hoop, wide, false, wide}, {hoop, Bytes(115, 1), false, Bytes(115, 1)},
        {hoop, {}, false, {}}, {pair("E:\\EmbF5\\LEAF2.kxd"), keep, true, keep}, {pair("leaf1"), keep, true, keep},
        {pair("leaf3.kxd"), keep, false, cleared}, {pair(".kxd"), keep, false, cleared}, {pair("C:\\dir2\\leaf"), keep, false, cleared},
        {pair("x.kxd"), zero, false, zero}, {pair("x.kxd"), Bytes(100, 'A'), false, Bytes(100, 'A')}};
    for (const auto& [check, before, answer, after] : cases) {
        const std::string path = put("d1.kxd", before);
        const auto stamp = fs::last_write_time(drives.host(path));
        DesignFileInMemory file(path);
        EXPECT_EQ(check(file), answer) << before.size();
        EXPECT_EQ(drives.read(path), after);
        EXPECT_EQ(file.bytes(), after);  // what goes on from memory is what the file now holds
        EXPECT_EQ(fs::last_write_time(drives.host(path)) == stamp, before == after);
    }
    DesignFileInMemory missing("C:\\missing.kxd");
    EXPECT_FALSE(NormalizeHoopFieldsForPcDesign(missing) || CheckPairPart(missing, "x1.kxd") ||
                 missing.bytes());
}

// A design file held in memory follows the file through every failure: a header write-back that
// cannot open changes neither, one that comes up short has the file read again, and a whole read
// that fails still leaves the header to check and write back, with the reason kept.
TEST_F(DesignFileTest, AFileHeldInMemoryStaysAsTheFileIsWhenAReadOrWriteBackFails) {
    const DesignBuilder design = DesignBuilder().extents(250, 250, 250, 250).stitch(1, 1).end();
    const Bytes rose = design.bytes(), normal = DesignBuilder(design).normalized().bytes();
    // A write-back cut after 50 bytes: the hoop code (0x20) reached the file, the margins not.
    Bytes half = rose;
    std::copy(normal.begin(), normal.begin() + 50, half.begin());
    const std::string path = put("f.kxd", rose);
    const int reads = [&] {
        test::FaultPlatform count(drives.backend());
        DesignFileInMemory file(path);
        return count.operationCount();
    }();
    const std::function<void(test::FaultPlatform&)> notOpened = [&](test::FaultPlatform& f) { f.failOperation(reads + 1); },
                                                     cutShort = [](test::FaultPlatform& f) { f.setWriteBudget('C', 50); };
    for (const auto& [inject, answer, after] : {std::tuple{notOpened, false, rose}, {cutShort, true, half}}) {
        drives.write(path, rose);
        test::FaultPlatform fault(drives.backend());
        inject(fault);
        DesignFileInMemory file(path);
        EXPECT_EQ(NormalizeHoopFieldsForPcDesign(file), answer);
        EXPECT_EQ(drives.read(path), after);
        EXPECT_EQ(file.bytes(), after);
    }
    drives.write(path, rose);
    test::FaultPlatform fault(drives.backend());
    fault.failOperation(1);  // the whole read's open
    DesignFileInMemory file(path);
    EXPECT_FALSE(file.bytes());
    EXPECT_FALSE(file.readFailure().empty());
    EXPECT_TRUE(NormalizeHoopFieldsForPcDesign(file));
    EXPECT_EQ(drives.read(path), normal);
    EXPECT_EQ(file.header(), DesignHeader::parse(normal));
}

TEST_F(DesignFileTest, ExceedsRecordLimitComparesTheSignedCountAtTheStartOfTheFile) {
    Bytes head(0x20, 0);
    head[0x1E] = 0x01;  // recordCount 0x10000 in the first 32 bytes, nothing after
    const std::tuple<Bytes, std::int32_t, bool> cases[] = {
        {DesignBuilder().recordCount(65535).bytes(), kCardRecordLimit, false}, {DesignBuilder().recordCount(65536).bytes(), kCardRecordLimit, true},
        {DesignBuilder().recordCount(-70000).bytes(), kCardRecordLimit, false}, {DesignBuilder().recordCount(1).bytes(), 0, true},
        {head, kCardRecordLimit, true}, {Bytes(head.begin(), head.end() - 1), -1, false}, {Bytes{}, -1, false}};
    for (const auto& [bytes, limit, over] : cases) EXPECT_EQ(ExceedsRecordLimit(put("r.kxd", bytes), limit), over) << bytes.size() << " " << limit;
    EXPECT_FALSE(ExceedsRecordLimit("C:\\missing.kxd", -1));
}

}  // namespace
}  // namespace kx
