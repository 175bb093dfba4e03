// Thumbnail records written down from the format's description rather than the renderer's tables.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace kx::test {

// The pixels that are not background, by (x, y) with y from the top row.
using DrawnPixels = std::map<std::pair<int, int>, std::uint8_t>;

// Pixels x0 .. x1 of row y in one code.
inline DrawnPixels DrawnRow(int y, int x0, int x1, std::uint8_t code, DrawnPixels into = {}) {
    for (int x = x0; x <= x1; ++x) into[{x, y}] = code;
    return into;
}

// Canvas width, height and column size of hoop codes 0 to 5.
struct ThumbnailCanvas {
    std::uint8_t width, height, columnSize;
};
inline constexpr ThumbnailCanvas kThumbnailCanvases[] = {{40, 40, 40}, {30, 30, 32}, {40, 58, 60},
                                                         {46, 40, 40}, {40, 40, 40}, {30, 30, 32}};

// "VORLEXB1", 0x00 0x1A, 2 zeros, the hoop code, the design's two pair-mark bytes, 2 zeros, the
// size after the header, 24 zeros (numbers big-endian); then the columns, leftmost first, each
// from the bottom row up, background 0x0F but `drawn`, padded with zeros; then H, W and S.
inline std::vector<std::uint8_t> WrittenThumbnail(std::uint8_t hoop, std::uint8_t letter, std::uint8_t companion,
                                                  const DrawnPixels& drawn = {}) {
    const ThumbnailCanvas c = kThumbnailCanvases[hoop];
    const int size = c.width * c.columnSize + 12;
    std::vector<std::uint8_t> r{'V', 'O', 'R', 'L', 'E', 'X', 'B', '1', 0, 0x1A, 0, 0, 0, 0, 0, hoop, letter, companion, 0, 0, 0,
                                0, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
    r.resize(48);
    for (int x = 0; x < c.width; ++x)
        for (int k = 0; k < c.columnSize; ++k) {
            const auto found = drawn.find({x, c.height - 1 - k});
            r.push_back(k >= c.height ? 0x00 : found != drawn.end() ? found->second : 0x0F);
        }
    r.insert(r.end(), {0, 0, 0, c.height, 0, 0, 0, c.width, 0, 0, 0, c.columnSize});
    return r;
}

}  // namespace kx::test
