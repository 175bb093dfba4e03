// The frame shared by the two dialogs on template 106 (the design name and the folder rename):
// OK hands the entry to the dialog's own check, Cancel and the close box end the dialog with 2.
#pragma once

#include <windows.h>

#include "ui/dialog_common.h"
#include "ui/dialog_support.h"
#include "ui/win/gdi.h"

namespace kx {

// `Init` fills the dialog (with the DialogBoxParamA parameter); `Ok` checks the entry and ends
// the dialog with 1 when it takes it.
template <void (*Init)(HWND, LPARAM), void (*Ok)(HWND)>
INT_PTR CALLBACK NameEntryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow([&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            Init(dialog, lParam);
            CenterOnScreen(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) Ok(dialog);
            else if (LOWORD(wParam) == IDCANCEL) PostMessageA(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 2);
            return TRUE;
        case WM_PAINT: {
            win::PaintScope paint(dialog);  // nothing of its own to draw
            return TRUE;
        }
        default:
            return FALSE;
        }
    });
}

}  // namespace kx
