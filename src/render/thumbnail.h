// The thumbnail record the machine shows for each design on the card: a hoop-sized picture of
// the stitches in 8-bit colour codes between a big-endian header and trailer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/raster.h"

namespace kx {

using ThumbnailRecord = std::vector<std::uint8_t>;

inline constexpr std::size_t kThumbnailHeaderSize = 48;
inline constexpr std::size_t kThumbnailTrailerSize = 12;
inline constexpr std::uint8_t kThumbnailBackground = 0x0F;
// An index the thread table does not hold, and a colour entry the design does not have.
inline constexpr std::uint8_t kThumbnailMissingColor = 0x00;

// The canvas and the hoop area it stands for, by hoop code 0..5.
struct ThumbnailGeometry {
    int width;        // W, pixels
    int height;       // H, pixels
    int columnSize;   // S: H rounded up to a multiple of 4
    int areaWidth;    // stitch units
    int areaHeight;   // stitch units
};
std::optional<ThumbnailGeometry> FindThumbnailGeometry(std::uint32_t hoopCode);

// The 79 thread colour codes a colour table entry indexes.
extern const std::array<std::uint8_t, 79> kThumbnailThreadCodes;
std::uint8_t ThumbnailThreadCode(std::int32_t tableEntry);

// A code's drawing colour and the way back, exact for every code.
constexpr Color ThumbnailCodeColor(std::uint8_t code) {
    return Rgb(code & 0xC0, static_cast<std::uint8_t>((code & 0x38) * 4),
               static_cast<std::uint8_t>((code & 0x07) * 32));
}
constexpr std::uint8_t ThumbnailColorCode(Color color) {
    return static_cast<std::uint8_t>((RedOf(color) & 0xC0) | ((GreenOf(color) >> 5) << 3) |
                                     (BlueOf(color) >> 5));
}

// Stitch units per pixel, small designs enlarged; the origin sits at the centre pixel.
int ThumbnailScale(const ThumbnailGeometry& geometry, std::int32_t extentX1, std::int32_t extentY1,
                   std::int32_t extentX2, std::int32_t extentY2);

// The record of a design image, or nothing when the header is cut short or the hoop code is
// outside 0..5. Bytes beyond the image are never read: a stream without its end record stops
// at the image's end, and colours past the colour table (or the image) draw in
// kThumbnailMissingColor.
std::optional<ThumbnailRecord> MakeThumbnailRecord(std::span<const std::uint8_t> design);

}  // namespace kx
