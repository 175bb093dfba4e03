// Fuzzes the header checks over arbitrary bytes: parse and round trip, hoop normalisation in both
// forms, the pair mark and the record-count read, and file names.
#include <algorithm>
#include <span>
#include <string_view>

#include "design/design_checks.h"
#include "fuzz_support.h"
#include "support/design_builder.h"

namespace {

using kx::DesignHeader;
using kx::test::DesignBuilder;

kx::fuzz::Seeds seeds([] {
    return std::vector<kx::fuzz::Input>{
        DesignBuilder().colors({1, 2}).stitch(10, 10).end().bytes(),
        DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).margins(-1, -1, -1, -1).bytes(),
        DesignBuilder().extents(701, 0, 0, 0).pairMark('B', 1).bytes(),
        DesignBuilder().recordCount(65536).extents(-5, INT32_MIN, 250, 250).bytes(),
    };
});

// Fails only when no hoop is set and none holds the design; otherwise only the hoop code and the
// margins change, the margins are all kept or all -1, and a second pass changes nothing.
void CheckNormalized(const DesignHeader& stored) {
    using namespace kx::header_offset;
    auto normalized = kx::NormalizedHoopFields(stored);
    if (!normalized) {
        KX_FUZZ_CHECK(!kx::FindHoop(stored.hoopCode()) &&
                      kx::ClassifyHoop(stored.extentX1(), stored.extentY1(), stored.extentX2(), stored.extentY2()) == kx::HOOP_NONE);
        return;
    }
    KX_FUZZ_CHECK(kx::FindHoop(normalized->hoopCode()));
    for (std::size_t i = 0; i < kx::kDesignHeaderSize; ++i) {
        bool field = (i >= kHoopCode && i < kHoopCode + 4) || (i >= kMarginX1 && i < kMarginY2 + 4);
        KX_FUZZ_CHECK(field || normalized->bytes()[i] == stored.bytes()[i]);
    }
    std::int32_t m[] = {normalized->marginX1(), normalized->marginY1(), normalized->marginX2(), normalized->marginY2()};
    KX_FUZZ_CHECK(std::ranges::all_of(m, [](std::int32_t v) { return v == -1; }) ||
                  std::ranges::all_of(m, [](std::int32_t v) { return v >= 0; }));
    KX_FUZZ_CHECK(kx::NormalizedHoopFields(*normalized) == normalized);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    std::string_view text(reinterpret_cast<const char*>(data), size);
    kx::IsDesignFileName(text);
    kx::IsPairPartName(text);

    auto header = DesignHeader::parse(bytes);
    KX_FUZZ_CHECK(header.has_value() == (size >= kx::kDesignHeaderSize));
    // The in-memory form changes nothing past the header, and nothing at all in a shorter design.
    kx::fuzz::Input design(bytes.begin(), bytes.end());
    kx::NormalizeHoopFieldsInMemory(std::span(design));
    std::size_t kept = header ? kx::kDesignHeaderSize : 0;
    KX_FUZZ_CHECK(std::equal(design.begin() + kept, design.end(), bytes.begin() + kept));
    // So do the write's checks, and a design shorter than its header passes them untouched.
    kx::fuzz::Input checked(bytes.begin(), bytes.end());
    bool pair = kx::CheckPairPart(std::span(checked), "ROSE.kxd");
    bool fits = kx::NormalizeHoopFields(std::span(checked));
    KX_FUZZ_CHECK(std::equal(checked.begin() + kept, checked.end(), bytes.begin() + kept));
    KX_FUZZ_CHECK(!pair && (header || (!fits && checked == design)));
    if (!header) return 0;
    KX_FUZZ_CHECK(DesignHeader::parse(design)->hoopCode() == (header->hoopCode() == 0 ? 3u : header->hoopCode()));
    KX_FUZZ_CHECK(std::equal(header->bytes().begin(), header->bytes().end(), bytes.begin()));
    KX_FUZZ_CHECK(kx::ReadI32LE(bytes, kx::header_offset::kRecordCount) == header->recordCount());
    KX_FUZZ_CHECK(!header->hasPairMark() || (header->pairLetter() >= 'A' && header->pairLetter() <= 'Z'));
    CheckNormalized(*header);
    return 0;
}
