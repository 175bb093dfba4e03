// The stand-in procedure of the write dialog: it only ends the dialog with 1 on close, until the
// dialog's own arrives. The main dialog's procedure is in ui/.
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

INT_PTR CALLBACK WriteDesignDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return CloseOnly(dialog, message, wParam);
}

}  // namespace kx
