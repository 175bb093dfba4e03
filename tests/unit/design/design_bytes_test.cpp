// The header's layout, the builder's encoding, and the card conversion's stream rules and limits.
#include <gtest/gtest.h>

#include "design/card_conversion.h"
#include "design/design_header.h"
#include "support/design_builder.h"

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
    EXPECT_EQ(std::pair(h.recordCount(), h.marginX1()), std::pair(-2, -1));
    for (std::uint8_t letter : std::initializer_list<std::uint8_t>{'A', 'M', 'Z', 0, '@', '[', 'a', 'z', '1', 0xC1}) {  // only upper case marks a pair
        h.setPairMark(letter, 'A');
        EXPECT_EQ(h.hasPairMark(), letter == 'A' || letter == 'M' || letter == 'Z') << letter;
    }
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
    for (const auto& [in, expected] : cases) {
        CardConversion c = ConvertDesignForCard(in.bytes());
        EXPECT_EQ(std::pair(c.outcome, c.bytes), std::pair(Outcome::Converted, expected.bytes())) << in.records();
    }
    // Hundreds of splits; a stored record count that disagrees is raised by the records added.
    DesignBuilder design = DesignBuilder().move(0, 0), expected = DesignBuilder().move(0, 0);
    for (int i = 0; i < 400; ++i) {
        design.stitch(1, 1).colorChange(2, -2);
        expected.stitch(1, 1).colorChange(0, 0).move(2, -2);
    }
    EXPECT_EQ(ConvertDesignForCard(design.end().trailing({9, 9}).bytes()).bytes, expected.end().bytes());
    for (std::int32_t stored : {0, 500, -40, INT32_MIN})
        EXPECT_EQ(ConvertDesignForCard(DesignBuilder(design).recordCount(stored).bytes()).bytes,
                  DesignBuilder(expected).recordCount(stored + 800).bytes());
}

// No end record (or half of one, or one as a parameter), a stream beyond the file or in the
// header, a short file: copied as they are. Growth past the limit and ambiguous streams: refused.
TEST(CardConversion, PlainCopiesAndRefusals) {
    for (const Bytes& bytes : {DesignBuilder().stitch(1, 1).colorChange(1, 1).bytes(), DesignBuilder().bytes(),
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
    // This colour change's displacement reads as another change: the two walks over the stream disagree.
    CardConversion ambiguous = ConvertDesignForCard(DesignBuilder().move(0, 0).control(1).control(1).stitch(5, 3).end().bytes());
    EXPECT_EQ(std::pair(ambiguous.outcome, ambiguous.refusal), std::pair(Outcome::Refused, Refusal::RecordsUnplaceable));
}

}  // namespace
}  // namespace kx
