// The preview pane: the raster draws, GDI only copies.
#include "ui/preview_pane.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "render/preview.h"
#include "resource_ids.h"
#include "ui/win/button.h"

namespace kx {

PreviewPane::PreviewPane(HWND dialog, const win::Dpi& dpi) : dialog_(dialog), pane_(GetDlgItem(dialog, IDC_PREVIEW_PANE)) {
    applyDpi(dpi);
}

void PreviewPane::applyDpi(const win::Dpi& dpi) {
    RECT r{};
    GetWindowRect(pane_, &r);
    const int margin = dpi.scale(10);
    int w = std::max<int>(r.right - r.left - margin, 1), h = std::max<int>(r.bottom - r.top - margin, 1);
    canvas_.reset();
    raster_ = std::make_unique<Raster>(w, h, kLightGray);
    win::WindowDc paneDc(pane_);
    canvas_ = std::make_unique<win::MemoryDc>(paneDc.get(), raster_->width(), raster_->height());
    ClearPreview();
}

void PreviewPane::storeRaster() const {
    if (!canvas_ || !*canvas_) return;
    // A 32-bit DIB pixel is 0x00RRGGBB; a raster colour is laid out as a COLORREF, 0x00BBGGRR.
    std::vector<std::uint32_t> bits;
    bits.reserve(raster_->pixels().size());
    for (Color c : raster_->pixels()) bits.push_back(static_cast<std::uint32_t>(BlueOf(c)) | GreenOf(c) << 8 | RedOf(c) << 16);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), raster_->width(), -raster_->height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(canvas_->dc(), 0, 0, static_cast<DWORD>(raster_->width()), static_cast<DWORD>(raster_->height()),
                      0, 0, 0, static_cast<UINT>(raster_->height()), bits.data(), &info, DIB_RGB_COLORS);
}

void PreviewPane::RepaintPreview() const {
    if (!canvas_ || !*canvas_) return;
    win::WindowDc paneDc(pane_);
    BitBlt(paneDc.get(), 1, 1, canvas_->width(), canvas_->height(), canvas_->dc(), 0, 0, SRCCOPY);
}

void PreviewPane::ClearPreview() {
    if (!raster_) return;
    raster_->fillRect(0, 0, raster_->width(), raster_->height(), kLightGray);
    storeRaster();
    SetDlgItemTextA(dialog_, IDC_HOOP_LABEL, " ");
    RepaintPreview();
}

int PreviewPane::RenderPreview(const std::string& path) {
    if (!raster_ || !canvas_ || !*canvas_) return 0;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return 0;
    auto drawn = RenderPreviewPixels(*bytes, *raster_);
    if (!drawn) return 0;
    SetDlgItemTextA(dialog_, IDC_HOOP_LABEL, std::string(drawn->label).c_str());
    storeRaster();
    // The pane goes grey, then only the hoop's field is copied: below a shorter field the canvas
    // still holds a column of the picture before.
    win::WindowDc paneDc(pane_);
    {
        win::SelectScope grey(paneDc.get(), GetStockObject(LTGRAY_BRUSH));
        PatBlt(paneDc.get(), 1, 1, canvas_->width(), canvas_->height(), PATCOPY);
    }
    const int fieldHeight = std::clamp(drawn->fieldHeight, 0, canvas_->height());
    BitBlt(paneDc.get(), 1, 1, canvas_->width(), fieldHeight, canvas_->dc(), 0, 0, SRCCOPY);
    return 1;
}

void PreviewPane::ShowDesignPreview(const std::string* path) {
    if (!path) return ClearPreview();
    if (win::Button(dialog_, IDC_PREVIEW_CHECK).isChecked()) RenderPreview(*path);
}

}  // namespace kx
