// The canvas's fills and its GDI-exact line stepping.
#include "render/raster.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kx {

namespace {

int CutSide(int side) { return std::clamp(side, 0, kMaxRasterSide); }

// Rounds up for a positive divisor; C++ division already rounds a negative quotient up.
std::int64_t CeilDiv(std::int64_t numerator, std::int64_t divisor) {
    std::int64_t q = numerator / divisor;
    return numerator % divisor > 0 ? q + 1 : q;
}

}  // namespace

Raster::Raster(int width, int height, Color fill)
    : width_(CutSide(width)),
      height_(CutSide(height)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {
    // The stepping's rule for lines this short: the start pixel, then for a second step the
    // minor coordinate ceil((2·db − 2) / 4), an exact half going to the smaller coordinate.
    const std::int64_t stride = width_, reach = static_cast<std::int64_t>(kNearReach);
    for (std::size_t i = 0; i < nearLines_.size(); ++i) {
        const std::int64_t dx = static_cast<std::int64_t>(i % kNearSide) - reach;
        const std::int64_t dy = static_cast<std::int64_t>(i / kNearSide) - reach;
        const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
        std::int64_t second = 0;
        if (steps == 2) {
            const bool xMajor = std::llabs(dx) >= std::llabs(dy);
            const std::int64_t major = (xMajor ? dx : dy) / 2, minor = CeilDiv(2 * (xMajor ? dy : dx) - 2, 4);
            second = xMajor ? major + minor * stride : minor + major * stride;
        }
        nearLines_[i] = {static_cast<std::int32_t>(second), static_cast<std::int32_t>(dy * stride + dx)};
    }
}

Color Raster::pixel(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Raster::fillRect(std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom, Color color) {
    const std::int64_t x0 = std::max<std::int64_t>(left, 0), x1 = std::min<std::int64_t>(right, width_);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0), y1 = std::min<std::int64_t>(bottom, height_);
    if (x0 >= x1) return;
    for (std::int64_t y = y0; y < y1; ++y) {
        auto row = pixels_.begin() + y * width_;
        std::fill(row + x0, row + x1, color);
    }
}

Raster::Point Raster::Clamped(std::int64_t x, std::int64_t y) {
    return {std::clamp(x, -kRasterCoordLimit, kRasterCoordLimit),
            std::clamp(y, -kRasterCoordLimit, kRasterCoordLimit)};
}

void Raster::lineTo(std::int64_t x, std::int64_t y) {
    const Point end = Clamped(x, y);
    bool given = false;
    auto once = [&](Vertex& point) {
        point = {static_cast<std::int32_t>(end.x), static_cast<std::int32_t>(end.y)};
        return !std::exchange(given, true);
    };
    if (Vertex beyond; !nearLinesTo(once, beyond)) return;
    stepAny(current_, end);
    current_ = end;
}

void Raster::stepAny(Point from, Point to) {
    // The drawn pixels lie within the box of the two ends, so ends on the canvas need no clipping.
    const bool inside = contains(from.x, from.y) && contains(to.x, to.y);
    if (std::llabs(to.x - from.x) >= std::llabs(to.y - from.y)) {
        if (inside)
            stepInside<true>(from, to);
        else
            stepLine<true>(from, to);
    } else {
        if (inside)
            stepInside<false>(from, to);
        else
            stepLine<false>(from, to);
    }
}

// The stepping of stepLine for a line whose pixels all lie on the canvas, as pointer moves: one
// major step a pixel, one minor step where the error leaves 0..2·steps-1.
template <bool XMajor>
void Raster::stepInside(Point from, Point to) {
    const std::int64_t da = XMajor ? to.x - from.x : to.y - from.y;
    const std::int64_t db = XMajor ? to.y - from.y : to.x - from.x;
    const std::int64_t steps = std::llabs(da), divisor = 2 * steps, increment = 2 * db;
    const std::int64_t stride = width_;
    const std::int64_t majorStride = XMajor ? (da > 0 ? 1 : -1) : (da > 0 ? stride : -stride);
    const std::int64_t minorStride = XMajor ? stride : 1;
    Color* pixel = pixels_.data() + from.y * stride + from.x;
    const Color pen = pen_;
    std::int64_t r = steps;
    for (std::int64_t i = 0; i < steps; ++i, pixel += majorStride) {
        *pixel = pen;
        r -= increment;
        if (r < 0) {
            r += divisor;
            pixel += minorStride;
        } else if (r >= divisor) {
            r -= divisor;
            pixel -= minorStride;
        }
    }
}

// The pixels GDI sets, found by drawing every direction and length up to 31 and thousands of
// clipped lines on a compatible bitmap: one pixel per step along the major axis (the axis of
// the larger extent, x on a tie), the start pixel included and the end pixel left out; on the
// minor axis the pixel nearest the exact line, where an exact half goes to the smaller
// coordinate whichever way the line runs. Clipping keeps exactly the pixels of the whole line
// that fall on the canvas, so the stepping starts at the first major step on the canvas.
template <bool XMajor>
void Raster::stepLine(Point from, Point to) {
    const std::int64_t a0 = XMajor ? from.x : from.y, b0 = XMajor ? from.y : from.x;
    const std::int64_t da = XMajor ? to.x - from.x : to.y - from.y;
    const std::int64_t db = XMajor ? to.y - from.y : to.x - from.x;
    const std::int64_t majorSize = XMajor ? width_ : height_, minorSize = XMajor ? height_ : width_;
    const std::int64_t steps = std::llabs(da), direction = da > 0 ? 1 : -1;
    if (steps == 0) return;

    // Steps i whose major coordinate a0 + direction * i lies on the canvas.
    const std::int64_t first = std::max<std::int64_t>(0, direction > 0 ? -a0 : a0 - majorSize + 1);
    const std::int64_t last = std::min<std::int64_t>(steps, direction > 0 ? majorSize - a0 : a0 + 1);
    if (first >= last) return;

    // Minor coordinate of step i: ceil((2·b0·steps + 2·db·i − steps) / (2·steps)), kept as the
    // quotient b and the remainder r = b·2·steps − numerator, 0 <= r < 2·steps.
    // A line that starts on the canvas starts exactly at (a0, b0) with r = steps: no division.
    const std::int64_t divisor = 2 * steps, increment = 2 * db;
    std::int64_t b = b0, r = steps;
    if (first > 0) {
        const std::int64_t numerator = 2 * b0 * steps + increment * first - steps;
        b = CeilDiv(numerator, divisor);
        r = b * divisor - numerator;
    }
    std::int64_t a = a0 + direction * first;

    // Locals, so the stores into the pixels need not reload the canvas's fields.
    Color* const base = pixels_.data();
    const Color pen = pen_;
    const std::int64_t stride = width_;
    for (std::int64_t i = first; i < last; ++i, a += direction) {
        if (b >= 0 && b < minorSize) base[XMajor ? b * stride + a : a * stride + b] = pen;
        r -= increment;
        if (r < 0) {
            r += divisor;
            ++b;
        } else if (r >= divisor) {
            r -= divisor;
            --b;
        }
    }
}

}  // namespace kx
