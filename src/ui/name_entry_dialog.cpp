// The frame of the template-106 dialogs.
#include "ui/name_entry_dialog.h"

#include "resource_ids.h"
#include "ui/dialog_support.h"

namespace kx {

INT_PTR NameEntryDialog::run(HWND owner) { return Dialog::run(IDD_DESIGN_NAME, owner); }

INT_PTR NameEntryDialog::OnInitDialog() {
    label();
    SetDlgItemTextA(hwnd(), IDC_NAME_EDIT, name.c_str());
    CenterOnScreen(hwnd());
    return TRUE;
}

INT_PTR NameEntryDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED || id != IDOK) return TRUE;
    if (std::optional<std::string> taken = take(DialogItemText(hwnd(), IDC_NAME_EDIT))) {
        name = std::move(*taken);
        EndDialog(hwnd(), 1);
    }
    return TRUE;
}

}  // namespace kx
