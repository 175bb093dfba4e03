// Item texts of the module's dialogs.
#include "ui/dialog_support.h"

namespace kx {

std::string DialogItemText(HWND dialog, int id) {
    char text[260] = {};
    UINT length = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, length < sizeof text ? length : 0);
}

}  // namespace kx
