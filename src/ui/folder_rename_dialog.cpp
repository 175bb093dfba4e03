// The folder rename dialog's title, prompt and check of the entry.
#include "ui/folder_rename_dialog.h"

#include "resource_ids.h"
#include "transfer/names.h"
#include "ui/dialog_support.h"

namespace kx {

void FolderRenameDialog::label() {
    SetWindowTextA(hwnd(), "Rename folder");
    SetDlgItemTextA(hwnd(), IDC_NAME_PROMPT, kFolderNameTooLongMessage);
}

std::optional<std::string> FolderRenameDialog::take(std::string typed) {
    // An empty entry or a refused one (after its message) keeps the dialog open.
    if (CheckFolderDisplayName(Owner(hwnd()), typed) != DisplayNameCheck::Valid) return std::nullopt;
    return typed;
}

}  // namespace kx
