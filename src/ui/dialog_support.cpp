// Item texts of the module's dialogs.
#include "ui/dialog_support.h"

#include "platform/paths.h"

namespace kx {

std::string DialogItemText(HWND dialog, int id) {
    char text[kMaxPath] = {};
    UINT length = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, length < sizeof text ? length : 0);
}

}  // namespace kx
