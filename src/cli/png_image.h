// Pictures out of the tool: an RGB raster encoded as PNG with libpng.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kx::cli {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows from the top, 3 bytes a pixel
};

// The PNG file's bytes; nothing for an empty or inconsistent image or when libpng fails.
std::optional<std::vector<std::uint8_t>> EncodePng(const RgbImage& image);

// Each pixel becomes a `factor` × `factor` block: enlarged, with edges kept sharp.
RgbImage ScaleNearest(const RgbImage& image, int factor);

}  // namespace kx::cli
