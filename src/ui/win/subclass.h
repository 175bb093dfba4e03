// Taking a control over by replacing its window procedure with a member of the part that owns
// the control. The procedure a control kind had is kept the first time in the process and used
// for every later control of that kind: the one piece of state kept per process rather than per
// dialog.
#pragma once

#include <windows.h>

#include "ui/win/dialog_base.h"

namespace kx::win {

// `Handle` gets every message of a control attached to a part, except a press or key that
// reaches it while its dialog runs a command (Dialog::TakesInput): that one is dropped. A
// control's parent (a popup's owner) is its dialog.
template <class Part, LRESULT (Part::*Handle)(HWND, UINT, WPARAM, LPARAM)>
class Subclass {
public:
    static void Attach(HWND control, Part* part) {
        if (!control) return;
        SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(part));
        auto old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
        if (!previous_) previous_ = old;
    }
    // The part is going: from now on the control's messages take the kind's own handling.
    static void Detach(HWND control) {
        if (control) SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    }
    // The control kind's own handling of a message.
    static LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
        return previous_ ? CallWindowProcA(previous_, control, message, wParam, lParam)
                         : DefWindowProcA(control, message, wParam, lParam);
    }

private:
    // An exception stops here, the message counting as consumed.
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        try {
            auto* part = reinterpret_cast<Part*>(GetWindowLongPtrA(control, GWLP_USERDATA));
            if (!part) return CallPrevious(control, message, wParam, lParam);
            if (!Dialog::TakesInput(GetParent(control), message)) return 0;
            return (part->*Handle)(control, message, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }

    static inline WNDPROC previous_ = nullptr;
};

}  // namespace kx::win
