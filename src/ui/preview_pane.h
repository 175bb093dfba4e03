// The preview pane (1003) and its hoop label (1002): a design drawn by the portable raster
// into an off-screen canvas that every repaint copies into the pane.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "render/raster.h"
#include "ui/win/dpi.h"
#include "ui/win/gdi.h"

namespace kx {

class PreviewPane {
public:
    // Cleared, on a canvas of the pane's size less 10 pixels each way at 96 dpi.
    PreviewPane(HWND dialog, const win::Dpi& dpi);
    // The canvas made again for the pane's size at another dpi, cleared.
    void applyDpi(const win::Dpi& dpi);
    // Grey canvas, label " ", repainted.
    void ClearPreview();
    void RepaintPreview() const;
    // 1 when the design was drawn; 0 when it cannot be read (pane and label unchanged).
    int RenderPreview(const std::string& path);
    // A path previews that design when "Preview" is ticked; null clears the pane.
    void ShowDesignPreview(const std::string* path);

private:
    // Copies the raster into the off-screen canvas.
    void storeRaster() const;

    HWND dialog_ = nullptr;
    HWND pane_ = nullptr;
    std::unique_ptr<Raster> raster_;
    std::unique_ptr<win::MemoryDc> canvas_;
};

}  // namespace kx
