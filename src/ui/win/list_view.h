// A list view: one message a method; -1 or false where the control reports a failure.
#pragma once

#include <commctrl.h>

#include <string_view>

#include "ui/win/subclass.h"
#include "ui/win/window.h"

namespace kx::win {

class ListView : public Window {
public:
    using Window::Window;
    int itemCount() const { return static_cast<int>(send(LVM_GETITEMCOUNT)); }
    bool setItemCount(int count) const { return send(LVM_SETITEMCOUNT, count) != FALSE; }
    int insertItem(const LVITEMA& item) const { return static_cast<int>(send(LVM_INSERTITEMA, 0, &item)); }
    bool getItem(LVITEMA& item) const { return send(LVM_GETITEMA, 0, &item) != FALSE; }
    bool setItem(const LVITEMA& item) const { return send(LVM_SETITEMA, 0, &item) != FALSE; }
    bool deleteAllItems() const { return send(LVM_DELETEALLITEMS) != FALSE; }
    int insertColumn(int index, const LVCOLUMNA& column) const {
        return static_cast<int>(send(LVM_INSERTCOLUMNA, index, &column));
    }
    bool setColumnWidth(int column, int width) const { return send(LVM_SETCOLUMNWIDTH, column, width) != FALSE; }
    int stringWidth(const char* text) const { return static_cast<int>(send(LVM_GETSTRINGWIDTHA, 0, text)); }
    int hitTest(LVHITTESTINFO& info) const { return static_cast<int>(send(LVM_HITTEST, 0, &info)); }
    // The item under a point of a mouse message's lParam (client coordinates); `flags` gets the
    // hit flags.
    int hitTest(LPARAM point, UINT* flags = nullptr) const {
        LVHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
        int index = hitTest(hit);
        if (flags) *flags = hit.flags;
        return index;
    }
    int nextItem(int start, UINT flags) const { return static_cast<int>(send(LVM_GETNEXTITEM, start, flags)); }
    UINT itemState(int index, UINT mask) const { return static_cast<UINT>(send(LVM_GETITEMSTATE, index, mask)); }
    bool setItemState(int index, const LVITEMA& state) const { return send(LVM_SETITEMSTATE, index, &state) != FALSE; }
    int itemText(int index, char* buffer, int size) const {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = size;
        return static_cast<int>(send(LVM_GETITEMTEXTA, index, &item));
    }
    bool setItemText(int index, const LVITEMA& item) const { return send(LVM_SETITEMTEXTA, index, &item) != FALSE; }
    bool ensureVisible(int index, bool partialOk) const { return send(LVM_ENSUREVISIBLE, index, partialOk) != FALSE; }
    int topIndex() const { return static_cast<int>(send(LVM_GETTOPINDEX)); }
    HIMAGELIST setImageList(HIMAGELIST list, int which) const {
        return reinterpret_cast<HIMAGELIST>(send(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list)));
    }
    DWORD setIconSpacing(int cx, int cy) const { return static_cast<DWORD>(send(LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy))); }
    bool arrange(UINT how) const { return send(LVM_ARRANGE, how) != FALSE; }
    void setRedraw(bool on) const { send(WM_SETREDRAW, on); }
    bool redrawItems(int first, int last) const { return send(LVM_REDRAWITEMS, first, last) != FALSE; }
};

// What a list view that keeps no items of its own (LVS_OWNERDATA) shows: the control asks its
// dialog for each item as it needs it, and the dialog base asks the source attached to the
// control.
class ItemSource {
public:
    // Fills what `item.mask` asks for (text into item.pszText, picture) of item `item.iItem`.
    virtual void describe(LVITEMA& item) const = 0;
    // The type-ahead: the first item from `start` on (then from the top, with LVFI_WRAP in
    // `flags`) whose text starts with `text` (LVFI_PARTIAL) or is it, in any case; -1 for none.
    virtual int find(UINT flags, std::string_view text, int start) const = 0;

    static void Attach(HWND list, const ItemSource* source) { Hung<ItemSource>::Attach(list, source); }
    static void Detach(HWND list) { Hung<ItemSource>::Detach(list); }
    static const ItemSource* Of(HWND list) { return Hung<ItemSource>::Of(list); }

protected:
    ~ItemSource() = default;
};

}  // namespace kx::win
