// Fuzzes the header checks over arbitrary bytes: parse and round trip, hoop normalisation (file
// and in-memory forms share this core), the pair mark and the record-count read, and file names.
#include <algorithm>
#include <span>
#include <string_view>

#include "design/byte_order.h"
#include "design/design_checks.h"
#include "design/design_header.h"
#include "fuzz_support.h"
#include "support/design_builder.h"

namespace {

using kx::DesignHeader;
using kx::fuzz::Input;
using kx::test::DesignBuilder;

kx::fuzz::Seeds seeds([] {
    return std::vector<Input>{
        DesignBuilder().colors({1, 2}).stitch(10, 10).end().bytes(),
        DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).margins(-1, -1, -1, -1).bytes(),
        DesignBuilder().extents(701, 0, 0, 0).pairMark('B', 1).bytes(),
        DesignBuilder().recordCount(65536).extents(-5, INT32_MIN, 250, 250).bytes(),
    };
});

bool InHoopOrMarginField(std::size_t i) {
    using namespace kx::header_offset;
    return (i >= kHoopCode && i < kHoopCode + 4) || (i >= kMarginX1 && i < kMarginY2 + 4);
}

void CheckNormalized(const DesignHeader& stored) {
    auto normalized = kx::NormalizedHoopFields(stored);
    if (!normalized) {
        KX_FUZZ_CHECK(!kx::FindHoop(stored.hoopCode()));
        KX_FUZZ_CHECK(kx::ClassifyHoop(stored.extentX1(), stored.extentY1(), stored.extentX2(), stored.extentY2()) == kx::HOOP_NONE);
        return;
    }
    KX_FUZZ_CHECK(kx::FindHoop(normalized->hoopCode()));
    for (std::size_t i = 0; i < kx::kDesignHeaderSize; ++i)
        KX_FUZZ_CHECK(InHoopOrMarginField(i) || normalized->bytes()[i] == stored.bytes()[i]);
    std::int32_t margins[] = {normalized->marginX1(), normalized->marginY1(), normalized->marginX2(), normalized->marginY2()};
    bool allUnset = std::all_of(std::begin(margins), std::end(margins), [](std::int32_t m) { return m == -1; });
    bool allKept = std::all_of(std::begin(margins), std::end(margins), [](std::int32_t m) { return m >= 0; });
    KX_FUZZ_CHECK(allUnset || allKept);
    KX_FUZZ_CHECK(kx::NormalizedHoopFields(*normalized) == normalized);
}

void CheckInMemory(std::span<const std::uint8_t> bytes, const DesignHeader& stored) {
    Input design(bytes.begin(), bytes.end());
    kx::NormalizeHoopFieldsInMemory(std::span(design));
    KX_FUZZ_CHECK(std::equal(design.begin() + kx::kDesignHeaderSize, design.end(), bytes.begin() + kx::kDesignHeaderSize));
    auto after = DesignHeader::parse(design);
    KX_FUZZ_CHECK(after->hoopCode() == (stored.hoopCode() == 0 ? 3u : stored.hoopCode()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    std::string_view text(reinterpret_cast<const char*>(data), size);
    kx::IsDesignFileName(text);
    kx::IsPairPartName(text);

    auto recordCount = kx::ReadI32LE(bytes, kx::header_offset::kRecordCount);
    auto header = DesignHeader::parse(bytes);
    KX_FUZZ_CHECK(header.has_value() == (size >= kx::kDesignHeaderSize));
    if (!header) {
        Input shortDesign(bytes.begin(), bytes.end());
        kx::NormalizeHoopFieldsInMemory(std::span(shortDesign));
        KX_FUZZ_CHECK(std::equal(shortDesign.begin(), shortDesign.end(), bytes.begin()));
        return 0;
    }
    KX_FUZZ_CHECK(std::equal(header->bytes().begin(), header->bytes().end(), bytes.begin()));
    KX_FUZZ_CHECK(recordCount == header->recordCount());
    if (header->hasPairMark()) KX_FUZZ_CHECK(header->pairLetter() >= 'A' && header->pairLetter() <= 'Z');
    CheckNormalized(*header);
    CheckInMemory(bytes, *header);
    return 0;
}
