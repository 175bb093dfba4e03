// Taking a control over for the part that owns it: comctl32's window subclass (per window, the
// documented way), with the part as the subclass's reference data. It is the one way a part is
// hung on a control and found from it; nothing is kept per process, so controls of either
// comctl32 (classic or version 6) each go back to their own procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "ui/win/dialog_base.h"

namespace kx::win {

// `Handle` gets every message of a control attached to a part, except a press or key that
// reaches it while its dialog runs a command (Dialog::TakesInput): that one is dropped. A
// control's parent (a popup's owner) is its dialog.
template <class Part, LRESULT (Part::*Handle)(HWND, UINT, WPARAM, LPARAM)>
class Subclass {
public:
    static void Attach(HWND control, Part* part) {
        if (control) SetWindowSubclass(control, &Procedure, kId, reinterpret_cast<DWORD_PTR>(part));
    }
    // The part is going: the control is back on its own procedure.
    static void Detach(HWND control) {
        if (control) RemoveWindowSubclass(control, &Procedure, kId);
    }
    // The control kind's own handling of a message (only from within `Handle`).
    static LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
        return DefSubclassProc(control, message, wParam, lParam);
    }

private:
    // An exception stops here, the message counting as consumed.
    static LRESULT CALLBACK Procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) noexcept {
        try {
            // The window goes: the subclass lets go of it first, the part still hears of it.
            if (message == WM_NCDESTROY) RemoveWindowSubclass(control, &Procedure, kId);
            if (!Dialog::TakesInput(GetParent(control), message)) return 0;
            return (reinterpret_cast<Part*>(data)->*Handle)(control, message, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }

    static constexpr UINT_PTR kId = 1;  // one subclass per part type: its procedure tells them apart
};

// A part that only needs to be found from its control, taking none of its messages: the
// control's subclass answers who it carries (comctl32's own lookup, GetWindowSubclass, is not in
// every import library).
template <class Part>
class Hung {
public:
    static void Attach(HWND control, const Part* part) {
        if (control) SetWindowSubclass(control, &PassOn, kId, reinterpret_cast<DWORD_PTR>(part));
    }
    static void Detach(HWND control) {
        if (control) RemoveWindowSubclass(control, &PassOn, kId);
    }
    static const Part* Of(HWND control) {
        if (!control) return nullptr;
        return reinterpret_cast<const Part*>(SendMessageA(control, kWhichPart, 0, Asker()));
    }

private:
    static LPARAM Asker() { return reinterpret_cast<LPARAM>(&PassOn); }  // tells the part types apart

    static LRESULT CALLBACK PassOn(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR part) noexcept {
        if (message == kWhichPart && lParam == Asker()) return static_cast<LRESULT>(part);
        if (message == WM_NCDESTROY) RemoveWindowSubclass(control, &PassOn, kId);
        return DefSubclassProc(control, message, wParam, lParam);
    }

    static constexpr UINT_PTR kId = 1;
    static constexpr UINT kWhichPart = WM_APP + 0x2A00;  // a control's kinds answer nothing in WM_APP
};

}  // namespace kx::win
