// Small pieces every dialog of the module uses: placement, item texts, an empty paint, and the
// guard that keeps exceptions inside a dialog procedure.
#pragma once

#include <windows.h>

#include <string>

#include "platform/messages.h"

namespace kx {

// Moves the window to the middle of the screen, keeping its size, without repainting.
void CenterOnScreen(HWND window);

// The text of a dialog item, at most 259 characters.
std::string DialogItemText(HWND dialog, int id);

// Begins and ends painting: the dialog draws nothing of its own.
void PaintNothing(HWND window);

inline WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

// Runs a message handler; an exception (only an allocation can throw) ends in FALSE rather
// than unwinding into the dialog manager.
template <class Handler>
INT_PTR NoThrow(Handler handler) noexcept {
    try {
        return handler();
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kx
