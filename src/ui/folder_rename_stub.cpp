// Placeholder until the rename dialog lands: every rename counts as cancelled, so a right click
// on a card folder changes nothing. The file that brings the dialog replaces this one.
#include "ui/folder_rename_dialog.h"

namespace kx {

bool RunFolderRenameDialog(HWND, int, std::string&) { return false; }

}  // namespace kx
