// Small pieces of the dialogs on template 106: item texts, owners for messages, and the guard that
// keeps exceptions inside a dialog procedure.
#pragma once

#include <windows.h>

#include <string>

#include "platform/messages.h"

namespace kx {

// The text of a dialog item, at most kMaxPath - 1 characters.
std::string DialogItemText(HWND dialog, int id);

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
