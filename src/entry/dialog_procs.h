// The procedures of the dialogs the exports open.
#pragma once

#include <windows.h>

#include "resource_ids.h"
#include "ui/main_dialog.h"

namespace kx {

INT_PTR CALLBACK WriteDesignDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
