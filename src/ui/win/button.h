// Push buttons, icon buttons and check boxes: one message a method.
#pragma once

#include "ui/win/window.h"

namespace kx::win {

class Button : public Window {
public:
    using Window::Window;
    // The previous image, or null.
    HANDLE setIcon(HICON icon) const {
        return reinterpret_cast<HANDLE>(send(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    void setCheck(bool on) const { send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
    bool isChecked() const { return send(BM_GETCHECK) != BST_UNCHECKED; }
};

}  // namespace kx::win
