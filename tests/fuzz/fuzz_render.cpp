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

using kx::fuzz::Input;
using kx::test::DesignBuilder;

kx::fuzz::Seeds seeds([] {
    DesignBuilder long_ = DesignBuilder().colors({4, 80, 0xFFFFFFFF}).hoopCode(1);
    for (int i = 0; i < 300; ++i) long_.stitch(127, -90).colorChange(3, 1).move(119, -4);
    return std::vector<Input>{
        DesignBuilder().colors({5, 6}).hoopCode(2).stitch(10, 10).move(-119, 0).colorChange(5, 5).stitch(-20, 40).end().bytes(),
        DesignBuilder().hoopCode(3).control(0x20).control(0x30).record(1, 1).control(0x0B).record(9, 9).stitch(4, 4).bytes(),
        DesignBuilder().colors({1}).hoopCode(5).colorCount(0x8000).stitch(1, 1).end().bytes(),
        long_.end().bytes(),
    };
});

bool ThumbnailCanDraw(std::uint8_t code) {
    return code == kx::kThumbnailBackground || code == kx::kThumbnailMissingColor ||
           std::find(kx::kThumbnailThreadCodes.begin(), kx::kThumbnailThreadCodes.end(), code) !=
               kx::kThumbnailThreadCodes.end();
}

void CheckThumbnail(std::span<const std::uint8_t> design) {
    auto record = kx::MakeThumbnailRecord(design);
    auto header = kx::DesignHeader::parse(design);
    auto geometry = header ? kx::FindThumbnailGeometry(header->hoopCode()) : std::nullopt;
    KX_FUZZ_CHECK(record.has_value() == geometry.has_value());
    if (!record) return;
    const std::size_t w = static_cast<std::size_t>(geometry->width), h = static_cast<std::size_t>(geometry->height);
    const std::size_t s = static_cast<std::size_t>(geometry->columnSize);
    KX_FUZZ_CHECK(record->size() == 60 + w * s);
    for (std::size_t x = 0; x < w; ++x)
        for (std::size_t k = 0; k < s; ++k) {
            const std::uint8_t code = (*record)[48 + x * s + k];
            KX_FUZZ_CHECK(k < h ? ThumbnailCanDraw(code) : code == 0);
        }
    std::span<const std::uint8_t> held = kx::BuildThumbnail(design);
    KX_FUZZ_CHECK(std::equal(held.begin(), held.end(), record->begin(), record->end()));
    kx::ReleaseThumbnail();
}

bool PreviewCanDraw(kx::Color c) {
    return c == kx::kWhite || c == kx::kBlack ||
           std::find(kx::kPreviewPalette.begin(), kx::kPreviewPalette.end(), c) != kx::kPreviewPalette.end();
}

void CheckPreview(std::span<const std::uint8_t> design, int w, int h) {
    constexpr kx::Color kBefore = kx::Rgb(1, 2, 3);
    kx::Raster canvas(w, h, kBefore);
    auto result = kx::RenderPreviewPixels(design, canvas);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const kx::Color c = canvas.pixel(x, y);
            const kx::Color below = x == 0 ? kBefore : kx::kLightGray;
            if (!result)
                KX_FUZZ_CHECK(c == kBefore);
            else if (y < result->fieldHeight)
                KX_FUZZ_CHECK(PreviewCanDraw(c));
            else if (y == result->fieldHeight)  // positions pinned to the field's lower edge
                KX_FUZZ_CHECK(c == below || PreviewCanDraw(c));
            else
                KX_FUZZ_CHECK(c == below);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> design(data, size);
    CheckThumbnail(design);
    CheckPreview(design, 92, 128);
    CheckPreview(design, 70, 20);
    return 0;
}
