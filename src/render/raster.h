// A small 24-bit canvas with GDI's rectangle fills and cosmetic-pen lines, pixel for pixel.
#pragma once

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
    bool contains(std::int64_t x, std::int64_t y) const;
    Color pixel(int x, int y) const;  // (x, y) must be inside

    // Fills [left, right) × [top, bottom), clipped to the canvas (FillRect and PatBlt alike).
    void fillRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                  Color color);

    // The current point and the pen, as MoveToEx, LineTo and a solid pen of width 0.
    void setPen(Color color) { pen_ = color; }
    void moveTo(std::int64_t x, std::int64_t y);
    // Draws from the current point up to, not including, (x, y), which becomes the current point.
    void lineTo(std::int64_t x, std::int64_t y);

private:
    struct Point {
        std::int64_t x = 0, y = 0;
    };
    static Point Clamped(std::int64_t x, std::int64_t y);
    template <bool XMajor>
    void stepInside(Point from, Point to);
    template <bool XMajor>
    void stepLine(Point from, Point to);

    int width_;
    int height_;
    std::vector<Color> pixels_;
    Color pen_ = kBlack;
    Point current_;
};

}  // namespace kx
