// Small pieces every dialog of the module uses: item texts and the owner its messages name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/messages.h"

namespace kx {

// The text of a dialog item, at most kMaxPath - 1 characters.
std::string DialogItemText(HWND dialog, int id);

// A window as the owner of a message.
inline WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

// Places the window in the middle of the screen.
void CenterOnScreen(HWND window);

}  // namespace kx
