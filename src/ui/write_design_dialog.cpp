// Dialog 105: the name field and its Name button, the Write arrow and Close.
#include "ui/write_design_dialog.h"

#include "entry/module_state.h"
#include "resource_ids.h"
#include "ui/design_name_dialog.h"
#include "ui/dialog_support.h"

namespace kx {

namespace {

void ShowDesignName(HWND dialog) { SetDlgItemTextA(dialog, IDC_DESIGN_NAME, moduleState().DesignName.data()); }

void OnInitDialog(HWND dialog) {
    if (moduleState().WriteMode == 0) SetWindowTextA(dialog, "Write Designs");
    ShowDesignName(dialog);
    CenterOnScreen(dialog);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
}

void OnName(HWND dialog) {
    if (RunDesignNameDialog(dialog) < 0)
        ShowMessage(Owner(dialog), "Failed to create Window.", "Enter Filename", mb::ICONHAND);
    ShowDesignName(dialog);
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_NAME_BUTTON) OnName(dialog);
        else if (LOWORD(wParam) == IDCANCEL) PostMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_PAINT:
        PaintNothing(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK WriteDesignDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return NoThrow([&] { return Handle(dialog, message, wParam); });
}

}  // namespace kx
