// Taking a control over by replacing its window procedure. The procedure it had is kept the
// first time in the process and used for every later control of the same kind: the one piece
// of state kept per process rather than per dialog.
#pragma once

#include <windows.h>

namespace kx::win {

class Subclass {
public:
    explicit Subclass(WNDPROC replacement) : replacement_(replacement) {}

    // Installs the replacement on `control`; `part` is what the replacement finds with PartOf.
    void attach(HWND control, void* part) {
        SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(part));
        auto old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replacement_)));
        if (!previous_) previous_ = old;
    }
    LRESULT callPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
        return previous_ ? CallWindowProcA(previous_, window, message, wParam, lParam)
                         : DefWindowProcA(window, message, wParam, lParam);
    }
    template <class Part>
    static Part* PartOf(HWND control) {
        return reinterpret_cast<Part*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    }
    // The body of a replacement procedure: `handle(part)` for the control's part, the previous
    // procedure without one; an exception stops here, the message counting as consumed.
    template <class Part, class Handle>
    LRESULT route(HWND control, UINT message, WPARAM wParam, LPARAM lParam, Handle handle) const noexcept {
        try {
            Part* part = PartOf<Part>(control);
            return part ? handle(*part) : callPrevious(control, message, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }

private:
    WNDPROC replacement_;
    WNDPROC previous_ = nullptr;
};

}  // namespace kx::win
