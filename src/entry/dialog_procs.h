// The procedures of the dialogs the exports open.
#pragma once

#include <windows.h>

#include "resource_ids.h"

namespace kx {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
