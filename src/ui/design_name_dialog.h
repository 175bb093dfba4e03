// The name dialog (template 106, "Kxd Name"): the name the direct write stores the design under.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Ends with 1 after a name was stored in the string its parameter points to, with 2 otherwise
// (the string unchanged).
INT_PTR CALLBACK DesignNameDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog on `name`, owned by `owner`: its end code, or a negative value when it could
// not be created.
INT_PTR RunDesignNameDialog(HWND owner, std::string& name);

}  // namespace kx
