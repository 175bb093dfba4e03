// The preview drawing: a design's stitches on the white field of its hoop, and the hoop's label.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "render/raster.h"

namespace kx {

inline constexpr std::string_view kNoHoopLabel = "Hoop Size  --";

// Thread codes 1..78 and their pen colours; any other code draws black.
extern const std::array<Color, 78> kPreviewPalette;
Color PreviewThreadColor(std::int32_t code);

struct PreviewResult {
    std::string_view label;  // for label 1002
    int fieldHeight;         // dh: the pane shows canvas rows 0..dh-1 (cut to the canvas)
};

// Draws the design into the canvas (w × h, the pane's off-screen picture) and names its hoop.
// Nothing, with the canvas untouched, when the design cannot be read: bytes shorter than the
// header, a negative colour count, a colour table or stitch offset beyond the bytes. Row 0 and
// column 0 below the field keep what the canvas held, as the pane's own canvas does.
std::optional<PreviewResult> RenderPreviewPixels(std::span<const std::uint8_t> design,
                                                 Raster& canvas);

}  // namespace kx
