// Fuzzes the card conversion over arbitrary design bytes, checking the form of what it produces,
// and the two growing steps, which must leave a buffer they refuse untouched.
#include <span>

#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/stitch_stream.h"
#include "fuzz_support.h"
#include "support/design_builder.h"

namespace {

using kx::fuzz::Input;
using kx::test::DesignBuilder;

kx::fuzz::Seeds seeds([] {
    DesignBuilder many = DesignBuilder().colors({1, 2, 3});
    for (int i = 0; i < 100; ++i) many.stitch(3, -3).colorChange(1, 0);
    return std::vector<Input>{
        DesignBuilder().colors({7}).stitch(1, 1).moveSecondForm(2, 2).colorChange(5, 3).colorChange().end().trailing({1, 2, 3}).bytes(),
        DesignBuilder().moveSecondForm(0, 0).stitch(1, -1).end().bytes(),
        DesignBuilder().stitch(1, 1).end().recordCount(65533).bytes(),
        DesignBuilder().stitch(1, 1).colorChange(4, 4).bytes(),
        many.end().bytes(),
    };
});

// The rules hold over the output's control records. Parameters are stepped over: in a design
// that breaks the format they may look like anything.
void CheckCardForm(std::span<const std::uint8_t> in, const Input& out) {
    using namespace kx;
    DesignHeader before = *DesignHeader::parse(in), after = *DesignHeader::parse(out);
    std::size_t start = before.stitchOffset();
    auto at = [&](std::size_t i) { return StitchRecord{out[i], out[i + 1]}; };
    KX_FUZZ_CHECK(after.stitchOffset() == start);
    // Only growth is held to the limit; an oversized count on its own is the record check's to refuse.
    KX_FUZZ_CHECK(after.recordCount() == before.recordCount() ||
                  (after.recordCount() > before.recordCount() && after.recordCount() <= kCardRecordLimit));
    for (std::size_t i = 0; i < start; ++i)
        KX_FUZZ_CHECK(out[i] == in[i] || (i >= header_offset::kRecordCount && i < header_offset::kRecordCount + 4));
    KX_FUZZ_CHECK(out.size() >= start + 4 && (out.size() - start) % kRecordSize == 0);
    KX_FUZZ_CHECK(at(start).isControl(CONTROL_MOVE) && at(out.size() - kRecordSize).isControl(CONTROL_END));
    for (std::size_t i = start; i < out.size(); i += kRecordSize) {
        StitchRecord r = at(i);
        KX_FUZZ_CHECK(!r.isControl(CONTROL_MOVE_ALT) && (!r.isControl(CONTROL_END) || i + kRecordSize == out.size()));
        if (r.isControl(CONTROL_COLOR_CHANGE) || r.isControl(CONTROL_MOVE)) {
            i += kRecordSize;
            KX_FUZZ_CHECK(i < out.size() && (!r.isControl(CONTROL_COLOR_CHANGE) || at(i).isZero()));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> in(data, size);
    kx::CardConversion conversion = kx::ConvertDesignForCard(in);
    if (conversion.outcome == kx::CardConversion::Outcome::Converted) CheckCardForm(in, conversion.bytes);
    else KX_FUZZ_CHECK(conversion.bytes.empty());
    // A growing step that refuses leaves the buffer as it was.
    Input work(in.begin(), in.end());
    if (!kx::InsertLeadingMove(work)) KX_FUZZ_CHECK(std::equal(work.begin(), work.end(), in.begin(), in.end()));
    work.assign(in.begin(), in.end());
    if (!kx::SplitColorChanges(work, size == 0 ? 0 : static_cast<std::int8_t>(in.back())))
        KX_FUZZ_CHECK(std::equal(work.begin(), work.end(), in.begin(), in.end()));
    return 0;
}
