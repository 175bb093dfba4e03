// The name dialog: the typed name passes the length and character rules, an empty entry takes
// the time-based default, and what is stored always ends in ".kxd".
#include "ui/design_name_dialog.h"

#include "resource_ids.h"
#include "transfer/default_name.h"
#include "transfer/names.h"
#include "ui/name_entry_dialog.h"
#include "ui/win/module.h"

namespace kx {

namespace {

// The name the dialog shows and, on a valid OK, replaces: the caller's.
std::string* NameOf(HWND dialog) { return reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void OnOk(HWND dialog) {
    std::string typed = DialogItemText(dialog, IDC_NAME_EDIT);
    if (typed.empty()) typed = MakeDefaultDesignName();
    if (!CheckNameLength(Owner(dialog), typed)) return;
    auto stored = MakeCardDesignName(typed);
    if (!stored) {
        ShowMessage(Owner(dialog), kForbiddenCharactersMessage, "Rename", mb::ICONHAND);
        return;
    }
    if (std::string* name = NameOf(dialog)) *name = *stored;
    EndDialog(dialog, 1);
}

void OnInitDialog(HWND dialog, LPARAM parameter) {
    SetWindowLongPtrA(dialog, DWLP_USER, parameter);
    const std::string* name = NameOf(dialog);
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, name ? name->c_str() : "");
}

}  // namespace

INT_PTR CALLBACK DesignNameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NameEntryDialogProc<OnInitDialog, OnOk>(dialog, message, wParam, lParam);
}

INT_PTR RunDesignNameDialog(HWND owner, std::string& name) {
    return DialogBoxParamA(win::ThisModule(), MAKEINTRESOURCEA(IDD_DESIGN_NAME), owner, DesignNameDlgProc,
                           reinterpret_cast<LPARAM>(&name));
}

}  // namespace kx
