// A small 24-bit canvas with GDI's rectangle fills and cosmetic-pen lines, pixel for pixel.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kx {

// A colour laid out as a Win32 COLORREF (0x00BBGGRR), so GetPixel results compare directly.
using Color = std::uint32_t;

constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr std::uint8_t RedOf(Color c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GreenOf(Color c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueOf(Color c) { return static_cast<std::uint8_t>(c >> 16); }

inline constexpr Color kWhite = Rgb(0xFF, 0xFF, 0xFF);
inline constexpr Color kBlack = Rgb(0, 0, 0);
inline constexpr Color kLightGray = Rgb(0xC0, 0xC0, 0xC0);  // the stock LTGRAY_BRUSH

// Sides beyond this are cut: the canvases drawn here are a few hundred pixels at most.
inline constexpr int kMaxRasterSide = 4096;
// Like GDI's, coordinates are 28-bit: points beyond are pulled in to this bound, which keeps
// every product of the line stepping inside 64 bits.
inline constexpr std::int64_t kRasterCoordLimit = std::int64_t{1} << 27;

class Raster {
public:
    // A width × height canvas (each cut to 0..kMaxRasterSide) filled with `fill`.
    Raster(int width, int height, Color fill);

    int width() const { return width_; }
    int height() const { return height_; }
    // Row-major, the top row first.
    std::span<const Color> pixels() const { return pixels_; }
    // True when (x, y) lies on the canvas.
    bool contains(std::int64_t x, std::int64_t y) const {
        return static_cast<std::uint64_t>(x) < static_cast<std::uint64_t>(width_) &&
               static_cast<std::uint64_t>(y) < static_cast<std::uint64_t>(height_);
    }
    Color pixel(int x, int y) const;  // (x, y) must be inside

    // Fills [left, right) × [top, bottom), clipped to the canvas (FillRect and PatBlt alike).
    void fillRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                  Color color);

    // The current point and the pen, as MoveToEx, LineTo and a solid pen of width 0.
    void setPen(Color color) { pen_ = color; }
    void moveTo(std::int64_t x, std::int64_t y) { current_ = Clamped(x, y); }
    // Draws from the current point up to, not including, (x, y), which becomes the current point.
    void lineTo(std::int64_t x, std::int64_t y);

    // A point of a walk, as nearLinesTo takes it.
    struct Vertex {
        std::int32_t x = 0, y = 0;
    };
    // Lines on from the current point through the points `next(point)` gives, exactly as
    // lineTo one by one, for as long as each lies near the current point and both on the
    // canvas: nearly every line a stitch makes. Stops at the first point that does not, which it
    // leaves undrawn in `beyond` (true), or when `next` gives none (false). Inlined into the walk,
    // with no call in its loop, so that both keep their state in registers.
    template <class Next>
    bool nearLinesTo(Next& next, Vertex& beyond);

private:
    struct Point {
        std::int64_t x = 0, y = 0;
    };
    // The pixels of a line of at most kNearReach steps each way, as offsets from its start
    // pixel: the pixel after the start (the start again for a line of one step) and the end.
    // Between two points on the canvas, a line of no steps, which draws nothing, is the only
    // one that ends where it starts.
    static constexpr std::uint32_t kNearReach = 2, kNearSide = 2 * kNearReach + 1;
    struct NearLine {
        std::int32_t second = 0, end = 0;
    };
    static Point Clamped(std::int64_t x, std::int64_t y);
    // Any line: the stepping, clipped where an end lies off the canvas. Kept out of line, so
    // that the loop over near lines has the registers to itself.
    [[gnu::noinline]] void stepAny(Point from, Point to);
    template <bool XMajor>
    void stepInside(Point from, Point to);
    template <bool XMajor>
    void stepLine(Point from, Point to);

    int width_;
    int height_;
    std::vector<Color> pixels_;
    Color pen_ = kBlack;
    Point current_;
    std::array<NearLine, kNearSide * kNearSide> nearLines_;
};

template <class Next>
bool Raster::nearLinesTo(Next& next, Vertex& beyond) {
    if (!contains(current_.x, current_.y)) return next(beyond);
    // Locals, read before any pixel is stored: a store into the pixels could otherwise change
    // every int the loop reads, as far as the compiler knows. Coordinates on the canvas fit in
    // 32 bits. Unsigned, and the current point kept less kNearReach each way, one compare
    // tells whether a point lies on the canvas, or within kNearReach of the current point.
    const Color pen = pen_;
    const auto width = static_cast<std::uint32_t>(width_), height = static_cast<std::uint32_t>(height_);
    auto nearX = static_cast<std::uint32_t>(current_.x) - kNearReach;
    auto nearY = static_cast<std::uint32_t>(current_.y) - kNearReach;
    Color* pixel = pixels_.data() + current_.y * width_ + current_.x;
    bool more;
    while ((more = next(beyond))) {
        const auto toX = static_cast<std::uint32_t>(beyond.x), toY = static_cast<std::uint32_t>(beyond.y);
        const std::uint32_t nx = toX - nearX, ny = toY - nearY;
        if (nx >= kNearSide || ny >= kNearSide || toX >= width || toY >= height) break;
        const NearLine line = nearLines_[ny * kNearSide + nx];
        if (line.end != 0) {
            pixel[0] = pen;
            pixel[line.second] = pen;
        }
        pixel += line.end;
        nearX = toX - kNearReach;
        nearY = toY - kNearReach;
    }
    current_ = {nearX + kNearReach, nearY + kNearReach};
    return more;
}

}  // namespace kx
