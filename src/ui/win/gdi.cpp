// Image lists made from the module's picture strips.
#include "ui/win/gdi.h"

namespace kx::win {

ImageList LoadMaskedImageList(HINSTANCE module, int id, int size, int initial, int grow) {
    ImageList list(ImageList_Create(size, size, ILC_COLORDDB | ILC_MASK, initial, grow));
    Bitmap strip(static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (list && strip) ImageList_AddMasked(list.get(), strip.get(), RGB(255, 255, 255));
    return list;
}

}  // namespace kx::win
