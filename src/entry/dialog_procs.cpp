// Stand-in procedure of the main dialog: it only ends the dialog with 1 on close, until its own arrives.
#include "entry/dialog_procs.h"

namespace kx {

namespace {

INT_PTR CloseOnly(HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return CloseOnly(dialog, message, wParam);
}

}  // namespace kx
