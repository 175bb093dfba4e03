// Static texts and frames: their text and their icon.
#pragma once

#include "ui/win/window.h"

namespace kx::win {

class StaticControl : public Window {
public:
    using Window::Window;
    HICON setIcon(HICON icon) const { return reinterpret_cast<HICON>(send(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
};

}  // namespace kx::win
