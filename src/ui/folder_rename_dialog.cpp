// The folder rename dialog. It only asks for the name; the caller takes it to the card.
#include "ui/folder_rename_dialog.h"

#include "resource_ids.h"
#include "transfer/names.h"
#include "ui/name_entry_dialog.h"
#include "ui/win/module.h"

namespace kx {

namespace {

// What one open rename dialog works on: the name it was opened with, replaced on a valid OK.
struct RenameState {
    std::string name;
};

RenameState* StateOf(HWND dialog) { return reinterpret_cast<RenameState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void OnInitDialog(HWND dialog, LPARAM parameter) {
    auto* state = reinterpret_cast<RenameState*>(parameter);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    SetWindowTextA(dialog, "Rename folder");
    SetDlgItemTextA(dialog, IDC_NAME_PROMPT, kFolderNameTooLongMessage);
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, state ? state->name.c_str() : "");
}

void OnOk(HWND dialog) {
    std::string typed = DialogItemText(dialog, IDC_NAME_EDIT);
    // An empty entry or a refused one (after its message) keeps the dialog open.
    if (CheckFolderDisplayName(Owner(dialog), typed) != DisplayNameCheck::Valid) return;
    if (RenameState* state = StateOf(dialog)) state->name = typed;
    EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NameEntryDialogProc<OnInitDialog, OnOk>(dialog, message, wParam, lParam);
}

bool RunRenameDialog(HWND owner, std::string& name) {
    RenameState state{name};
    DialogBoxParamA(win::ThisModule(), MAKEINTRESOURCEA(IDD_DESIGN_NAME), owner, RenameDialogProc,
                    reinterpret_cast<LPARAM>(&state));
    if (state.name == name) return false;
    name = state.name;
    return true;
}

}  // namespace kx
