// The dialog procedure shared by the dialogs: state object, record freeing, dispatch.
#include "ui/win/dialog_base.h"

#include "ui/win/item_record.h"

namespace kx::win {

Dialog* Dialog::From(HWND dialog) {
    return dialog ? reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER)) : nullptr;
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    default: return OnMessage(message, wParam, lParam);
    }
}

INT_PTR Dialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                          std::unique_ptr<Dialog> (*make)()) noexcept {
    try {
        // Items are deleted as the controls go, even while the dialog itself is being torn down.
        FreeRecordOfDeletedItem(message, lParam);
        if (message == WM_INITDIALOG) {
            std::unique_ptr<Dialog> state = make();
            state->hwnd_ = dialog;
            SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state.release()));
        }
        Dialog* state = From(dialog);
        if (!state) return FALSE;
        // A notification handled without a result of its own takes the control's default (0),
        // so a list view still reports the deletion of each item, and each record goes with it.
        if (message == WM_NOTIFY) SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            delete state;
            return FALSE;
        }
        return state->dispatch(message, wParam, lParam);
    } catch (...) {
        // A dialog that cannot be set up does not open half-made.
        if (message == WM_INITDIALOG) EndDialog(dialog, -1);
        return FALSE;
    }
}

}  // namespace kx::win
