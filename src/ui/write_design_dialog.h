// Dialog 105: the host's direct writes (one design from memory, or the designs of a list file)
// into a card folder the user picks, under a name the user may change.
#pragma once

#include <windows.h>

namespace kx {

INT_PTR CALLBACK WriteDesignDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
