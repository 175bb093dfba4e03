// Image lists made from the module's picture strips.
#include "ui/win/gdi.h"

#include <algorithm>

#include "resource_ids.h"

namespace kx::win {

namespace {

HBITMAP LoadStrip(HINSTANCE module, int id) {
    return static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

// The strip's cells (`cell` pixels square, left to right) at `shown` pixels: each picture pixel
// becomes whole screen pixels (nearest neighbour), never a blend, so the pictures stay sharp.
Bitmap ScaledStrip(HBITMAP strip, int cell, int shown) {
    BITMAP info{};
    if (!GetObjectA(strip, sizeof info, &info) || info.bmHeight < cell) return {};
    const int cells = info.bmWidth / cell;
    WindowDc screen(nullptr);
    Bitmap scaled(CreateCompatibleBitmap(screen.get(), cells * shown, shown));
    MemoryDcHandle from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    if (!scaled || !from || !to) return {};
    SelectScope source(from.get(), strip), target(to.get(), scaled.get());
    SetStretchBltMode(to.get(), COLORONCOLOR);
    StretchBlt(to.get(), 0, 0, cells * shown, shown, from.get(), 0, 0, cells * cell, cell, SRCCOPY);
    return scaled;
}

// Strip `id` with `shown`-pixel cells: the one drawn at that size (the build draws each dpi's of
// 100 to 300 %); between those, the largest drawn below it, stretched by whole pixels.
Bitmap StripAt(HINSTANCE module, int id, int size, int shown) {
    int cell = std::min(shown, 99);  // KX_PICTURE_AT holds sizes below 100
    while (cell > size && !FindResourceA(module, MAKEINTRESOURCEA(KX_PICTURE_AT(id, cell)), RT_BITMAP)) --cell;
    if (cell <= size) cell = size;
    Bitmap strip(LoadStrip(module, cell == size ? id : KX_PICTURE_AT(id, cell)));
    if (strip && cell != shown) strip = ScaledStrip(strip.get(), cell, shown);
    return strip;
}

}  // namespace

ImageList LoadMaskedImageList(HINSTANCE module, int id, int size, int initial, int grow, int shown) {
    if (shown <= 0) shown = size;
    ImageList list(ImageList_Create(shown, shown, ILC_COLORDDB | ILC_MASK, initial, grow));
    Bitmap strip = StripAt(module, id, size, shown);
    if (list && strip) ImageList_AddMasked(list.get(), strip.get(), RGB(255, 255, 255));
    return list;
}

}  // namespace kx::win
