// Image lists made from the module's picture strips.
#include "ui/win/gdi.h"

namespace kx::win {

namespace {

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

}  // namespace

ImageList LoadMaskedImageList(HINSTANCE module, int id, int size, int initial, int grow, int shown) {
    if (shown <= 0) shown = size;
    ImageList list(ImageList_Create(shown, shown, ILC_COLORDDB | ILC_MASK, initial, grow));
    Bitmap strip(static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (strip && shown != size) strip = ScaledStrip(strip.get(), size, shown);
    if (list && strip) ImageList_AddMasked(list.get(), strip.get(), RGB(255, 255, 255));
    return list;
}

}  // namespace kx::win
