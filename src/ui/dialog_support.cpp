// Placement, item texts and painting shared by the module's dialogs.
#include "ui/dialog_support.h"

namespace kx {

void CenterOnScreen(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    // Integer division toward zero: a window larger than the screen gets a negative position.
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
               width, height, FALSE);
}

std::string DialogItemText(HWND dialog, int id) {
    char text[260] = {};
    UINT length = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, length < sizeof text ? length : 0);
}

void PaintNothing(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

}  // namespace kx
