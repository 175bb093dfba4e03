// The name dialog: the typed name passes the length and character rules, an empty entry takes
// the time-based default, and what is stored always ends in ".kxd".
#include "ui/design_name_dialog.h"

#include "entry/module_state.h"
#include "resource_ids.h"
#include "transfer/default_name.h"
#include "transfer/names.h"
#include "ui/name_entry_dialog.h"

namespace kx {

namespace {

void OnOk(HWND dialog) {
    std::string typed = DialogItemText(dialog, IDC_NAME_EDIT);
    if (typed.empty()) typed = MakeDefaultDesignName();
    if (!CheckNameLength(Owner(dialog), typed)) return;
    auto stored = MakeCardDesignName(typed);
    if (!stored) {
        ShowMessage(Owner(dialog), kForbiddenCharactersMessage, "Rename", mb::ICONHAND);
        return;
    }
    SetHostString(moduleState().DesignName, *stored);
    EndDialog(dialog, 1);
}

void OnInitDialog(HWND dialog, LPARAM) { SetDlgItemTextA(dialog, IDC_NAME_EDIT, moduleState().DesignName.data()); }

}  // namespace

INT_PTR CALLBACK DesignNameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NameEntryDialogProc<OnInitDialog, OnOk>(dialog, message, wParam, lParam);
}

INT_PTR RunDesignNameDialog(HWND owner) {
    return DialogBoxParamA(moduleState().ModuleInstance, MAKEINTRESOURCEA(IDD_DESIGN_NAME), owner, DesignNameDlgProc, 0);
}

}  // namespace kx
