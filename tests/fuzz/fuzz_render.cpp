// Fuzzes both drawings over arbitrary design bytes: the thumbnail record keeps its layout and
// holds only codes a design can draw; the preview touches the canvas only where the pane shows
// it, or not at all when it refuses the design.
#include <algorithm>
#include <span>

#include "design/design_header.h"
#include "fuzz_support.h"
#include "render/preview.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"

namespace {

kx::fuzz::Seeds seeds([] {
    kx::test::DesignBuilder d = kx::test::DesignBuilder().colors({4, 80, 0xFFFFFFFF}).hoopCode(2);
    for (int i = 0; i < 300; ++i)
        d.stitch(127, -90).colorChange(3, 1).move(119, -4).control(0x30).record(1, 1).control(0x0B).record(9, 9);
    return std::vector<kx::fuzz::Input>{d.end().bytes(), d.colorCount(0x8000).hoopCode(5).bytes()};
});

bool Has(const auto& table, auto value) { return std::ranges::find(table, value) != table.end(); }

// Below the field the canvas is grey but for column 0, which keeps what it held; positions
// pinned to the field's lower edge may draw on the row just below it.
void CheckPreview(std::span<const std::uint8_t> design, int w, int h) {
    constexpr kx::Color kBefore = kx::Rgb(1, 2, 3);
    kx::Raster canvas(w, h, kBefore);
    const auto result = kx::RenderPreviewPixels(design, canvas);
    const int field = result ? result->fieldHeight : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const kx::Color c = canvas.pixel(x, y), below = x == 0 ? kBefore : kx::kLightGray;
            const bool drawn = c == kx::kWhite || c == kx::kBlack || Has(kx::kPreviewPalette, c);
            KX_FUZZ_CHECK(!result ? c == kBefore : y < field ? drawn : c == below || (y == field && drawn));
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> design(data, size);
    CheckPreview(design, 92, 128);
    CheckPreview(design, 70, 20);
    const auto record = kx::MakeThumbnailRecord(design);
    const auto header = kx::DesignHeader::parse(design);
    const auto g = header ? kx::FindThumbnailGeometry(header->hoopCode()) : std::nullopt;
    KX_FUZZ_CHECK(record.has_value() == g.has_value());
    if (!record) return 0;
    // Each column's first H bytes hold codes a design can draw, the rest zeros.
    const auto h = static_cast<std::size_t>(g->height), s = static_cast<std::size_t>(g->columnSize);
    KX_FUZZ_CHECK(record->size() == 60 + static_cast<std::size_t>(g->width) * s);
    for (std::size_t i = 0; i + 60 < record->size(); ++i) {
        const std::uint8_t c = (*record)[48 + i];
        const bool drawable =
            c == kx::kThumbnailBackground || c == kx::kThumbnailMissingColor || Has(kx::kThumbnailThreadCodes, c);
        KX_FUZZ_CHECK(i % s >= h ? c == 0 : drawable);
    }
    KX_FUZZ_CHECK(std::ranges::equal(kx::BuildThumbnail(design), *record));
    kx::ReleaseThumbnail();
    return 0;
}
