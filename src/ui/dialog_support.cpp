// Item texts and placing of the module's dialogs.
#include "ui/dialog_support.h"

#include "platform/paths.h"

namespace kx {

std::string DialogItemText(HWND dialog, int id) {
    char text[kMaxPath] = {};
    UINT length = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, length < sizeof text ? length : 0);
}

void CenterOnScreen(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, FALSE);
}

}  // namespace kx
