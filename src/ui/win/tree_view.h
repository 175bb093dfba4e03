// A tree view: one message a method; null or false where the control reports a failure.
#pragma once

#include <commctrl.h>

#include "ui/win/window.h"

namespace kx::win {

class TreeView : public Window {
public:
    using Window::Window;
    HTREEITEM insertItem(const TVINSERTSTRUCTA& insert) const {
        return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMA, 0, &insert));
    }
    bool deleteItem(HTREEITEM item) const { return send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != FALSE; }
    HTREEITEM nextItem(HTREEITEM item, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    bool selectItem(HTREEITEM item, UINT how = TVGN_CARET) const {
        return send(TVM_SELECTITEM, how, reinterpret_cast<LPARAM>(item)) != FALSE;
    }
    bool getItem(TVITEMA& item) const { return send(TVM_GETITEMA, 0, &item) != FALSE; }
    bool setItem(const TVITEMA& item) const { return send(TVM_SETITEMA, 0, &item) != FALSE; }
    HTREEITEM hitTest(TVHITTESTINFO& info) const { return reinterpret_cast<HTREEITEM>(send(TVM_HITTEST, 0, &info)); }
    int count() const { return static_cast<int>(send(TVM_GETCOUNT)); }
    bool ensureVisible(HTREEITEM item) const { return send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)) != FALSE; }
    bool expand(HTREEITEM item, UINT action) const { return send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)) != FALSE; }
    HIMAGELIST setImageList(HIMAGELIST list, int which) const {
        return reinterpret_cast<HIMAGELIST>(send(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list)));
    }
    HIMAGELIST imageList(int which) const { return reinterpret_cast<HIMAGELIST>(send(TVM_GETIMAGELIST, which)); }
    bool setIndent(int pixels) const { return send(TVM_SETINDENT, pixels) != FALSE; }
    int itemHeight() const { return static_cast<int>(send(TVM_GETITEMHEIGHT)); }
};

}  // namespace kx::win
