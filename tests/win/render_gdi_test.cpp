// The raster and the thumbnail against real GDI under Wine: the same segments drawn with
// MoveToEx/LineTo on a 24-bit compatible bitmap give the same pixels, and thumbnails built the
// GDI way give the same bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "design/byte_order.h"
#include "design/design_header.h"
#include "render/raster.h"
#include "render/thumbnail.h"
#include "samples/design_builder.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

// A compatible bitmap selected into a memory DC for the life of the object.
class GdiCanvas {
public:
    GdiCanvas(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        previousBitmap_ = SelectObject(dc_, bitmap_);
    }
    ~GdiCanvas() {
        SelectObject(dc_, previousBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    HDC dc() const { return dc_; }
    // The bitmap keeps every colour exactly, as on a 24-bit screen.
    bool ready() const {
        const COLORREF odd = RGB(0x01, 0x7F, 0xFE);
        return dc_ && bitmap_ && SetPixel(dc_, 0, 0, odd) == odd && GetPixel(dc_, 0, 0) == odd;
    }
    void fill(COLORREF color) {
        RECT all{0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    Color pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previousBitmap_;
};

// A solid cosmetic pen (and optionally a brush) selected into a DC while the object lives.
class SelectedPen {
public:
    SelectedPen(HDC dc, COLORREF color) : dc_(dc), pen_(CreatePen(PS_SOLID, 0, color)) {
        previous_ = SelectObject(dc_, pen_);
    }
    ~SelectedPen() {
        SelectObject(dc_, previous_);
        DeleteObject(pen_);
    }
    SelectedPen(const SelectedPen&) = delete;
    SelectedPen& operator=(const SelectedPen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ previous_;
};

// The first pixel where the two differ, or an empty text.
std::string FirstDifference(const GdiCanvas& gdi, const Raster& ours) {
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x)
            if (gdi.pixel(x, y) != ours.pixel(x, y)) {
                std::ostringstream text;
                text << "pixel " << x << "," << y << ": GDI " << std::hex << gdi.pixel(x, y) << ", raster "
                     << ours.pixel(x, y);
                return text.str();
            }
    return {};
}

struct Reach {
    const char* name;
    int spread;     // how far the vertices go beyond the canvas
    int maxStep;    // 0: vertices anywhere in reach; else each a short step from the last
};

// Connected segments, each in its own colour, so every segment's pixels show and each one
// starts where the last one ended.
TEST(RasterAgainstGdi, SeededSegmentsSetTheSamePixels) {
    constexpr int kW = 46, kH = 58, kSegments = 12, kPolylines = 100;
    const Reach reaches[] = {
        {"short, inside", 0, 6},
        {"long, inside", 0, 0},
        {"crossing the edges", 70, 0},
        {"far beyond", 400000, 0},
        {"at the coordinate bound", 1 << 26, 0},
    };
    GdiCanvas gdi(kW, kH);
    ASSERT_TRUE(gdi.ready()) << "needs a 24-bit screen";
    std::mt19937 random(20240605);
    for (const Reach& reach : reaches) {
        std::uniform_int_distribution<int> coordX(-reach.spread, kW + reach.spread);
        std::uniform_int_distribution<int> coordY(-reach.spread, kH + reach.spread), step(-reach.maxStep, reach.maxStep);
        for (int n = 0; n < kPolylines; ++n) {
            Raster ours(kW, kH, kWhite);
            gdi.fill(kWhite);
            int x = coordX(random), y = coordY(random);
            MoveToEx(gdi.dc(), x, y, nullptr);
            ours.moveTo(x, y);
            std::ostringstream path;
            path << x << "," << y;
            for (int k = 0; k < kSegments; ++k) {
                x = reach.maxStep ? x + step(random) : coordX(random);
                y = reach.maxStep ? y + step(random) : coordY(random);
                const Color color = Rgb(static_cast<std::uint8_t>(20 * k), static_cast<std::uint8_t>(200 - 15 * k), 0x40);
                SelectedPen pen(gdi.dc(), color);
                LineTo(gdi.dc(), x, y);
                ours.setPen(color);
                ours.lineTo(x, y);
                path << " " << x << "," << y;
            }
            ASSERT_EQ(FirstDifference(gdi, ours), "") << reach.name << ": " << path.str();
        }
    }
}

// The thumbnail as a GDI program builds it: a compatible bitmap filled with the background by
// Rectangle, the stream walked with MoveToEx/LineTo, every pixel read back with GetPixel.
class GdiThumbnail {
public:
    explicit GdiThumbnail(const std::vector<std::uint8_t>& design)
        : design_(design), header_(*DesignHeader::parse(design)), g_(*FindThumbnailGeometry(header_.hoopCode())),
          canvas_(g_.width, g_.height) {}

    ThumbnailRecord build() {
        const int s = scale();
        canvas_.fill(kWhite);
        fillBackground();
        walk(s, (g_.width / 2) * s, (g_.height / 2) * s);
        return record();
    }

private:
    int scale() const {
        int s = std::max((g_.areaWidth + g_.width - 1) / g_.width, (g_.areaHeight + g_.height - 1) / g_.height);
        const int rx = (header_.extentX1() + header_.extentX2()) * 10 / g_.areaWidth;
        const int ry = (header_.extentY1() + header_.extentY2()) * 10 / g_.areaHeight;
        const int r = std::max(rx, ry);
        if (r <= 8) s = s * 100 / (150 - 6 * std::max(r, 0));
        return s == 0 ? 1 : s;
    }

    void fillBackground() {
        const COLORREF color = ThumbnailCodeColor(kThumbnailBackground);
        SelectedPen pen(canvas_.dc(), color);
        HBRUSH brush = CreateSolidBrush(color);
        HGDIOBJ previous = SelectObject(canvas_.dc(), brush);
        Rectangle(canvas_.dc(), 0, 0, g_.width, g_.height);
        SelectObject(canvas_.dc(), previous);
        DeleteObject(brush);
    }

    std::uint8_t colorCode(std::uint32_t entry) const {
        if (entry >= header_.colorCount()) return kThumbnailMissingColor;
        auto value = ReadI32LE(design_, kColorTableOffset + entry * 4);
        if (!value || *value < 0 || *value > 78) return kThumbnailMissingColor;
        return kThumbnailThreadCodes[static_cast<std::size_t>(*value)];
    }

    void walk(int s, int x, int y) {
        HDC dc = canvas_.dc();
        std::uint32_t nextEntry = 1;
        auto pen = std::make_unique<SelectedPen>(dc, ThumbnailCodeColor(colorCode(0)));
        bool down = false;
        const auto go = [&](int dx, int dy) {
            x += dx;
            y -= dy;
            if (down)
                LineTo(dc, x / s, y / s);
            else
                MoveToEx(dc, x / s, y / s, nullptr);
        };
        MoveToEx(dc, x / s, y / s, nullptr);
        for (std::size_t at = header_.stitchOffset(); at + 1 < design_.size(); at += 2) {
            const auto dx = static_cast<std::int8_t>(design_[at]), dy = static_cast<std::int8_t>(design_[at + 1]);
            if (design_[at] != 0x80) {
                go(dx, dy);
                down = true;
            } else if (design_[at + 1] == 0x10) {
                break;
            } else if (design_[at + 1] == 0x01) {
                pen.reset();
                pen = std::make_unique<SelectedPen>(dc, ThumbnailCodeColor(colorCode(nextEntry++)));
            } else if ((design_[at + 1] == 0x02 || design_[at + 1] == 0x04) && at + 3 < design_.size()) {
                at += 2;
                const auto mx = static_cast<std::int8_t>(design_[at]), my = static_cast<std::int8_t>(design_[at + 1]);
                down = std::abs(mx) == 119 || std::abs(my) == 119;
                go(mx, my);
            }
        }
    }

    ThumbnailRecord record() const {
        const std::size_t body = static_cast<std::size_t>(g_.width * g_.columnSize);
        ThumbnailRecord r(60 + body, 0);
        const char signature[] = "VORLEXB1";
        std::copy(signature, signature + 8, r.begin());
        r[9] = 0x1A;
        WriteU32BE(r, 12, header_.hoopCode());
        r[16] = header_.pairLetter();
        r[17] = header_.pairCompanion();
        WriteU32BE(r, 20, static_cast<std::uint32_t>(body + 12));
        for (int x = 0; x < g_.width; ++x)
            for (int y = 0; y < g_.height; ++y)
                r[48 + static_cast<std::size_t>(x * g_.columnSize + g_.height - 1 - y)] =
                    ThumbnailColorCode(canvas_.pixel(x, y));
        WriteU32BE(r, 48 + body, static_cast<std::uint32_t>(g_.height));
        WriteU32BE(r, 52 + body, static_cast<std::uint32_t>(g_.width));
        WriteU32BE(r, 56 + body, static_cast<std::uint32_t>(g_.columnSize));
        return r;
    }

    const std::vector<std::uint8_t>& design_;
    DesignHeader header_;
    ThumbnailGeometry g_;
    GdiCanvas canvas_;
};

// Where two records first differ, or an empty text.
std::string FirstDifference(const ThumbnailRecord& ours, const ThumbnailRecord& gdi) {
    if (ours.size() != gdi.size()) return "lengths " + std::to_string(ours.size()) + " and " + std::to_string(gdi.size());
    auto [at, _] = std::mismatch(ours.begin(), ours.end(), gdi.begin());
    if (at == ours.end()) return {};
    const std::size_t i = static_cast<std::size_t>(at - ours.begin());
    return "byte " + std::to_string(i) + ": ours " + std::to_string(ours[i]) + ", GDI " + std::to_string(gdi[i]);
}

// A design of every record kind: stitches of any length, sewn and lifted moves, colour changes
// with displacements, codes without meaning; on any hoop, sometimes small enough to enlarge.
std::vector<std::uint8_t> RandomDesign(std::mt19937& random) {
    std::uniform_int_distribution<int> percent(0, 99), delta(-127, 127), small(-20, 20), thread(-2, 82);
    samples::DesignBuilder b;
    const int colours = 1 + percent(random) % 6;
    for (int c = 0; c < colours; ++c) b.color(static_cast<std::uint32_t>(thread(random)));
    int changes = colours - 1;
    const int records = 20 + percent(random) * 20;
    for (int n = 0; n < records; ++n) {
        const int kind = percent(random);
        if (kind < 60) b.stitch(small(random), small(random));
        else if (kind < 75) b.stitch(delta(random), delta(random));
        else if (kind < 82) b.move(delta(random), delta(random));
        else if (kind < 88) b.move(percent(random) < 50 ? 119 : -119, small(random));
        else if (kind < 92) b.moveSecondForm(small(random), percent(random) < 50 ? -119 : delta(random));
        else if (kind < 96 && changes > 0) {
            b.colorChange(small(random), small(random));
            --changes;
        } else {
            b.control(0x03);
        }
    }
    b.hoopCode(static_cast<std::uint32_t>(percent(random) % 6)).pairMark(static_cast<std::uint8_t>(percent(random)), 0x5A);
    if (percent(random) < 30) b.extents(small(random), small(random), small(random), small(random));
    return b.end().bytes();
}

TEST(ThumbnailAgainstGdi, GeneratedDesignsGiveTheSameBytes) {
    std::mt19937 random(77);
    std::vector<std::vector<std::uint8_t>> designs;
    for (int n = 0; n < 150; ++n) designs.push_back(RandomDesign(random));
    for (std::uint32_t seed = 1; seed <= 6; ++seed) designs.push_back(samples::GenerateDesign(400 * seed, seed, seed));
    for (const samples::SampleDesign& sample : samples::MakeSampleDesigns())
        if (FindThumbnailGeometry(DesignHeader::parse(sample.bytes)->hoopCode())) designs.push_back(sample.bytes);

    for (std::size_t n = 0; n < designs.size(); ++n) {
        auto ours = MakeThumbnailRecord(designs[n]);
        ASSERT_TRUE(ours.has_value()) << "design " << n;
        ASSERT_EQ(FirstDifference(*ours, GdiThumbnail(designs[n]).build()), "") << "design " << n;
    }
}

}  // namespace
}  // namespace kx::wintest
