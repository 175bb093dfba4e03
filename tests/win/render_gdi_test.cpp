// The raster and the thumbnail against real GDI under Wine: segments drawn with MoveToEx/LineTo on
// a 24-bit compatible bitmap set the same pixels; thumbnails drawn the GDI way are the same bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "render/raster.h"
#include "render/thumbnail.h"
#include "samples/design_builder.h"

namespace kx::wintest {
namespace {

using Uniform = std::uniform_int_distribution<int>;

// A filled compatible bitmap of the 24-bit screen in a memory DC, drawn with solid pens of width 0.
struct GdiCanvas {
    GdiCanvas(int width, int height, COLORREF fill) : dc(CreateCompatibleDC(nullptr)) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        SelectObject(dc, bitmap);
        SetDCBrushColor(dc, fill);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SelectObject(dc, GetStockObject(DC_PEN));
    }
    ~GdiCanvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HDC dc;
    HBITMAP bitmap;
};

// Polylines of 12 segments, each in its own colour: short steps, long lines, crossing the edges, far.
TEST(RasterAgainstGdi, SeededSegmentsSetTheSamePixels) {
    constexpr int kW = 46, kH = 58;
    const struct { const char* name; int spread, maxStep; } reaches[] = {
        {"short, inside", 0, 6}, {"long, inside", 0, 0}, {"crossing the edges", 70, 0},
        {"far beyond", 400000, 0}, {"at the coordinate bound", 1 << 26, 0},
    };
    std::mt19937 random(20240605);
    for (const auto& [name, spread, maxStep] : reaches) {
        Uniform coordX(-spread, kW + spread), coordY(-spread, kH + spread), step(-maxStep, maxStep);
        for (int n = 0; n < 100; ++n) {
            GdiCanvas gdi(kW, kH, kWhite);
            Raster ours(kW, kH, kWhite);
            int x = coordX(random), y = coordY(random);
            MoveToEx(gdi.dc, x, y, nullptr);
            ours.moveTo(x, y);
            for (int k = 0; k < 12; ++k) {
                x = maxStep ? x + step(random) : coordX(random);
                y = maxStep ? y + step(random) : coordY(random);
                SetDCPenColor(gdi.dc, RGB(20 * k, 200 - 15 * k, 0x40));
                ours.setPen(RGB(20 * k, 200 - 15 * k, 0x40));
                LineTo(gdi.dc, x, y);
                ours.lineTo(x, y);
            }
            for (int py = 0; py < kH; ++py)
                for (int px = 0; px < kW; ++px)
                    ASSERT_EQ(GetPixel(gdi.dc, px, py), ours.pixel(px, py))
                        << px << "," << py << " of " << name << " #" << n;
        }
    }
}

// Random designs drawn with MoveToEx/LineTo as they are built, read back with GetPixel: stitches, moves of
// both forms sewn or not, colour changes beyond the table, meaningless codes, odd threads; every hoop.
TEST(ThumbnailAgainstGdi, GeneratedDesignsGiveTheSameBytes) {
    std::mt19937 random(77);
    Uniform percent(0, 99), delta(-127, 127), small(-20, 20), thread(-2, 82), extent(-100, 1100);
    for (int n = 0; n < 200; ++n) {
        const auto hoop = static_cast<std::uint8_t>(percent(random) % 6), mark = static_cast<std::uint8_t>(n);
        const ThumbnailGeometry g = *FindThumbnailGeometry(hoop);
        const int x1 = extent(random), y1 = extent(random), x2 = extent(random), y2 = extent(random);
        samples::DesignBuilder b;
        b.hoopCode(hoop).extents(x1, y1, x2, y2).pairMark(mark, 0x5A);
        std::vector<std::uint8_t> codes;  // by colour table entry
        for (int c = 1 + percent(random) % 6; c > 0; --c) {
            const int t = thread(random);
            b.color(static_cast<std::uint32_t>(t));
            codes.push_back(t >= 0 && t <= 78 ? kThumbnailThreadCodes[static_cast<std::size_t>(t)] : 0);
        }
        GdiCanvas gdi(g.width, g.height, ThumbnailCodeColor(kThumbnailBackground));
        std::size_t next = 0;  // entries beyond the table draw code 0
        auto nextPen = [&] { SetDCPenColor(gdi.dc, ThumbnailCodeColor(next < codes.size() ? codes[next++] : 0)); };
        int s = std::max((g.areaWidth + g.width - 1) / g.width, (g.areaHeight + g.height - 1) / g.height);
        const int r = std::max((x1 + x2) * 10 / g.areaWidth, (y1 + y2) * 10 / g.areaHeight);
        if (r <= 8) s = s * 100 / (150 - 6 * std::max(r, 0));
        int x = g.width / 2 * s, y = g.height / 2 * s;
        bool down = false;
        const auto walk = [&](int dx, int dy) {
            x += dx;
            y -= dy;
            if (down) LineTo(gdi.dc, x / s, y / s);
            else MoveToEx(gdi.dc, x / s, y / s, nullptr);
        };
        nextPen();
        MoveToEx(gdi.dc, x / s, y / s, nullptr);
        for (int k = 20 + percent(random) * 20; k > 0; --k) {
            const int kind = percent(random);
            int dx = kind < 60 ? small(random) : delta(random), dy = kind < 60 ? small(random) : delta(random);
            if (kind >= 80 && kind < 90) (kind % 2 ? dx : dy) = percent(random) < 50 ? 119 : -119;
            if (kind >= 96) {
                b.control(0x03);
            } else if (kind >= 75 && kind < 90) {
                kind % 3 ? b.move(dx, dy) : b.moveSecondForm(dx, dy);
                down = std::abs(dx) == 119 || std::abs(dy) == 119;
                walk(dx, dy);
            } else {  // a stitch, or a colour change whose displacement is walked as one
                if (kind >= 90) nextPen();
                kind >= 90 ? b.colorChange(dx, dy) : b.stitch(dx, dy);
                walk(dx, dy);
                down = true;
            }
        }
        const int size = g.width * g.columnSize + 12;
        ThumbnailRecord expected{'V', 'O', 'R', 'L', 'E', 'X', 'B', '1', 0, 0x1A, 0, 0, 0, 0, 0, hoop, mark, 0x5A,
                                 0, 0, 0, 0, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
        expected.resize(48);
        for (int px = 0; px < g.width; ++px) {
            for (int py = g.height - 1; py >= 0; --py) expected.push_back(ThumbnailColorCode(GetPixel(gdi.dc, px, py)));
            expected.resize(expected.size() + static_cast<std::size_t>(g.columnSize - g.height));
        }
        for (int v : {g.height, g.width, g.columnSize})
            expected.insert(expected.end(), {0, 0, 0, static_cast<std::uint8_t>(v)});

        const ThumbnailRecord ours = MakeThumbnailRecord(b.end().bytes()).value_or(ThumbnailRecord{});
        EXPECT_TRUE(std::ranges::equal(ours, expected))
            << "design " << n << " differs first at byte " << std::ranges::mismatch(ours, expected).in1 - ours.begin();
    }
}

}  // namespace
}  // namespace kx::wintest
