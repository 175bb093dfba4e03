// Generated designs are well-formed files whose headers tell the truth about their streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/design_header.h"
#include "design/stitch_stream.h"
#include "samples/sample_designs.h"
#include "samples/shapes.h"

namespace kx::samples {
namespace {

// What an independent walk of the stream finds.
struct StreamFacts {
    bool wellFormed = true;   // every control record complete, the end record last in the file
    std::size_t records = 0;  // through the end record
    std::size_t colourChanges = 0;
    bool startsWithMove = false;
    int longestStitch = 0;
    int longestMove = 0;
    Point min, max;
};

StreamFacts Malformed() {
    StreamFacts f;
    f.wellFormed = false;
    return f;
}

StreamFacts Walk(const std::vector<std::uint8_t>& file) {
    StreamFacts f;
    auto header = DesignHeader::parse(file);
    if (!header) return Malformed();
    std::size_t at = header->stitchOffset();
    Point pos;
    auto step = [&](std::size_t i) {
        pos.x += static_cast<std::int8_t>(file[i]);
        pos.y += static_cast<std::int8_t>(file[i + 1]);
        f.min = {std::min(f.min.x, pos.x), std::min(f.min.y, pos.y)};
        f.max = {std::max(f.max.x, pos.x), std::max(f.max.y, pos.y)};
        return std::max(std::abs(static_cast<std::int8_t>(file[i])),
                        std::abs(static_cast<std::int8_t>(file[i + 1])));
    };
    for (; at + 2 <= file.size(); at += 2) {
        ++f.records;
        if (file[at] != kControlMark) {
            f.longestStitch = std::max(f.longestStitch, step(at));
            continue;
        }
        std::uint8_t code = file[at + 1];
        if (f.records == 1) f.startsWithMove = code == CONTROL_MOVE;
        if (code == CONTROL_END) {
            f.wellFormed = at + 2 == file.size();
            return f;
        }
        if ((code != CONTROL_MOVE && code != CONTROL_COLOR_CHANGE) || at + 4 > file.size() ||
            file[at + 2] == kControlMark)
            return Malformed();
        at += 2;
        ++f.records;
        int length = step(at);
        if (code == CONTROL_MOVE) f.longestMove = std::max(f.longestMove, length);
        if (code == CONTROL_COLOR_CHANGE) ++f.colourChanges;
    }
    f.wellFormed = false;
    return f;
}

void ExpectHeaderMatchesStream(const std::vector<std::uint8_t>& file, const char* name) {
    SCOPED_TRACE(name);
    auto header = DesignHeader::parse(file);
    ASSERT_TRUE(header);
    StreamFacts f = Walk(file);
    ASSERT_TRUE(f.wellFormed);
    EXPECT_TRUE(f.startsWithMove);
    EXPECT_EQ(header->stitchOffset(), kColorTableOffset + header->colorCount() * kColorEntrySize);
    EXPECT_EQ(header->colorCount(), f.colourChanges + 1);
    EXPECT_EQ(static_cast<std::size_t>(header->recordCount()), f.records);
    EXPECT_EQ(header->extentX1(), f.max.x);
    EXPECT_EQ(header->extentY1(), f.max.y);
    EXPECT_EQ(header->extentX2(), -f.min.x);
    EXPECT_EQ(header->extentY2(), -f.min.y);
    EXPECT_LE(f.longestStitch, kMaxStitchStep);
    // A move of 119 would be drawn as a sewn line in the thumbnail.
    EXPECT_LE(f.longestMove, kMaxMoveStep);
}

TEST(GenerateDesign, HoldsExactlyTheRecordsAndColourChangesAsked) {
    struct Case {
        std::size_t records, changes;
    };
    for (Case c : {Case{3, 0}, Case{50, 3}, Case{1000, 40}, Case{20000, 150}}) {
        auto file = GenerateDesign(c.records, c.changes, 11);
        ExpectHeaderMatchesStream(file, "generated");
        StreamFacts f = Walk(file);
        EXPECT_EQ(f.records, c.records);
        EXPECT_EQ(f.colourChanges, c.changes);
        // Stays within hoop A(F), so benchmarks measure designs the card takes.
        auto header = DesignHeader::parse(file);
        EXPECT_TRUE(header->hoopCode() == HOOP_C || header->hoopCode() == HOOP_AF);
    }
}

TEST(GenerateDesign, CapsWhatCannotFit) {
    auto tiny = GenerateDesign(0, 5, 1);
    EXPECT_EQ(Walk(tiny).records, 3u);
    EXPECT_EQ(Walk(tiny).colourChanges, 0u);
    auto crowded = GenerateDesign(40, 1000, 1);
    EXPECT_EQ(Walk(crowded).records, 40u);
    EXPECT_LT(Walk(crowded).colourChanges, 10u);
}

TEST(GenerateDesign, SameSeedSameDesignOtherSeedAnother) {
    EXPECT_EQ(GenerateDesign(5000, 10, 42), GenerateDesign(5000, 10, 42));
    EXPECT_NE(GenerateDesign(5000, 10, 42), GenerateDesign(5000, 10, 43));
}

TEST(SampleDesigns, AreWellFormedWithTheHoopsTheirPicturesNeed) {
    std::map<std::string, std::vector<std::uint8_t>> byName;
    for (const SampleDesign& s : MakeSampleDesigns()) {
        ExpectHeaderMatchesStream(s.bytes, s.fileName.c_str());
        EXPECT_FALSE(s.about.empty());
        byName[s.fileName] = s.bytes;
    }
    auto hoop = [&](const char* name) { return DesignHeader::parse(byName.at(name))->hoopCode(); };
    EXPECT_EQ(hoop("HEART.kxd"), static_cast<std::uint32_t>(HOOP_C));
    EXPECT_EQ(hoop("STAR.kxd"), static_cast<std::uint32_t>(HOOP_AF));
    EXPECT_EQ(hoop("CARD.kxd"), static_cast<std::uint32_t>(HOOP_AF));
    EXPECT_EQ(hoop("FLOWER.kxd"), static_cast<std::uint32_t>(HOOP_B));
    EXPECT_GE(Walk(byName.at("FLOWER.kxd")).colourChanges, 3u);
}

TEST(SampleDesigns, TandemHalvesCarryThePairMarkUnderPairNames) {
    for (const SampleDesign& s : MakeSampleDesigns()) {
        auto header = DesignHeader::parse(s.bytes);
        bool isTandem = s.fileName.starts_with("TANDEM");
        EXPECT_EQ(header->hasPairMark(), isTandem) << s.fileName;
        EXPECT_EQ(IsPairPartName(s.fileName), isTandem) << s.fileName;
    }
}

// The demo relies on the card refusing these two with its messages, not silently.
TEST(SampleDesigns, RefusalSamplesSurviveTheConversionAndFailTheirChecks) {
    for (const SampleDesign& s : MakeSampleDesigns()) {
        SCOPED_TRACE(s.fileName);
        CardConversion converted = ConvertDesignForCard(s.bytes);
        ASSERT_EQ(converted.outcome, CardConversion::Outcome::Converted);
        auto header = DesignHeader::parse(converted.bytes);
        bool overLimit = header->recordCount() > kCardRecordLimit;
        bool fitsNoHoop = !NormalizedHoopFields(*header);
        EXPECT_EQ(overLimit, s.fileName == "FILL.kxd");
        EXPECT_EQ(fitsNoHoop, s.fileName == "GIANT.kxd");
    }
}

TEST(SampleDesigns, LetteringSplitsItsShiftedColourChangesOnTheCard) {
    for (const SampleDesign& s : MakeSampleDesigns()) {
        if (s.fileName != "CARD.kxd") continue;
        CardConversion converted = ConvertDesignForCard(s.bytes);
        ASSERT_EQ(converted.outcome, CardConversion::Outcome::Converted);
        // Three shifted changes, each split into a change and a move of two records more.
        EXPECT_EQ(DesignHeader::parse(converted.bytes)->recordCount(),
                  DesignHeader::parse(s.bytes)->recordCount() + 6);
    }
}

TEST(DesignWriter, SplitsLongTravelAndRefusesOversizedSingleSteps) {
    DesignWriter w(1);
    w.moveTo({450, -30});
    EXPECT_EQ(w.records(), 2u + 2 * 5);  // the opening move, then five moves of at most 100
    w.stitchTo({450, 100});
    EXPECT_EQ(w.records(), 12u + 3);
    EXPECT_FALSE(w.stitchBy(kMaxStitchStep + 1, 0));
    EXPECT_EQ(w.records(), 15u);
    EXPECT_EQ(w.position(), (Point{450, 100}));
    w.changeColour(2, {130, 0});  // the change carries 60, moves carry the rest
    EXPECT_EQ(w.position(), (Point{580, 100}));
    ExpectHeaderMatchesStream(w.finish(), "writer");
}

TEST(DesignWriter, NoHoopHoldsAGiantSoItKeepsCodeZeroAndUnfitMargins) {
    DesignWriter w(1);
    w.moveTo({-800, 0});
    w.stitchTo({800, 0});
    auto header = DesignHeader::parse(w.finish());
    EXPECT_EQ(header->hoopCode(), 0u);
    EXPECT_EQ(header->marginX1(), -1);
    EXPECT_EQ(header->marginY2(), -1);
}

TEST(Shapes, OutlinesCloseAndLettersMakeStrokes) {
    for (const Path& p :
         {HeartOutline(300), StarOutline(200, 80, 5), FlowerOutline(100, 6), CircleOutline({10, 10}, 50)}) {
        ASSERT_GE(p.size(), 4u);
        EXPECT_LE(std::abs(p.front().x - p.back().x) + std::abs(p.front().y - p.back().y), 1);
    }
    EXPECT_EQ(WordStrokes("AX", {0, 0}, 140).size(), 4u);
    EXPECT_TRUE(WordStrokes("??", {0, 0}, 140).empty());
}

}  // namespace
}  // namespace kx::samples
