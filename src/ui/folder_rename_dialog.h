// The folder rename dialog: template 106 under its own title and prompt, for the display name
// of a card folder (at most 8 characters).
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Shows the dialog on `name`, owned by `owner`. True when the user confirmed a name that
// differs from `name` (compared case-sensitively); `name` then holds it. False after Cancel,
// Esc, the close box or the same name, and when the dialog could not be created.
bool RunRenameDialog(HWND owner, std::string& name);

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
