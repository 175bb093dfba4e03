// Display scaling: the dialogs' own pixel sizes are sizes at 96 dpi, scaled to the dpi of the
// dialog they are in (its monitor's where the system knows one, else the screen's).
#pragma once

#include <windows.h>

namespace kx::win {

class Dpi {
public:
    static constexpr int kBase = 96;

    explicit constexpr Dpi(int dpi = kBase) : dpi_(dpi > 0 ? dpi : kBase) {}
    // The dpi of `window`: GetDpiForWindow where user32 has it, else the screen's LOGPIXELSY.
    static Dpi Of(HWND window);

    constexpr int value() const { return dpi_; }
    // A size at 96 dpi at this dpi (16 gives 16, 20, 24, 32, 48 at 100, 125, 150, 200, 300 %).
    int scale(int size) const { return MulDiv(size, dpi_, kBase); }
    constexpr bool operator==(const Dpi&) const = default;

private:
    int dpi_;
};

// An icon of this module at `size` pixels square. Each icon holds an image drawn for every dpi of
// 100 to 300 %, which both calls take as it is; at other sizes the larger image is drawn down
// (LoadIconWithScaleDown, where comctl32 has it) else the system scales the nearest.
HICON LoadIconAt(HINSTANCE module, int id, int size);

}  // namespace kx::win
