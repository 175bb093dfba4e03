// A combo box: one message a method, failures as the control reports them (CB_ERR is -1).
#pragma once

#include "ui/win/window.h"

namespace kx::win {

class ComboBox : public Window {
public:
    using Window::Window;
    int addString(const std::string& text) const { return static_cast<int>(send(CB_ADDSTRING, 0, text.c_str())); }
    bool setItemData(int index, LPARAM data) const { return send(CB_SETITEMDATA, index, data) != CB_ERR; }
    LPARAM itemData(int index) const { return send(CB_GETITEMDATA, index); }  // CB_ERR when out of range
    int setCurSel(int index) const { return static_cast<int>(send(CB_SETCURSEL, index)); }
    int curSel() const { return static_cast<int>(send(CB_GETCURSEL)); }
    int count() const { return static_cast<int>(send(CB_GETCOUNT)); }
    void resetContent() const { send(CB_RESETCONTENT); }
    bool setItemHeight(int index, int height) const { return send(CB_SETITEMHEIGHT, index, height) != CB_ERR; }
    bool droppedState() const { return send(CB_GETDROPPEDSTATE) != FALSE; }
    void showDropDown(bool on) const { send(CB_SHOWDROPDOWN, on); }
};

// What opens and closes the drop-down of a combo the dialogs take over: the Down key, a press of
// the left button and its double click.
inline bool IsDropDownToggle(UINT message, WPARAM wParam) {
    return (message == WM_KEYDOWN && wParam == VK_DOWN) || message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
}

}  // namespace kx::win
