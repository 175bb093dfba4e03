// The main dialog (template 101): the PC half, the card half, the arrows between them and the
// preview pane.
#pragma once

#include <windows.h>

namespace kx {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
