// The dialog procedure shared by the dialogs: the caller's object, record freeing, dispatch.
#include "ui/win/dialog_base.h"

#include <commctrl.h>

#include "platform/paths.h"
#include "ui/win/gdi.h"
#include "ui/win/item_record.h"
#include "ui/win/list_view.h"
#include "ui/win/module.h"
#include "ui/win/window.h"

namespace kx::win {

namespace {

// The type-ahead's answer. Wine's list view asks in UTF-16 even of an ANSI dialog.
LRESULT FindItem(const ItemSource& source, const NMHDR& header) {
    if (header.code == LVN_ODFINDITEMA) {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        return source.find(find.lvfi.flags, find.lvfi.psz ? find.lvfi.psz : "", find.iStart);
    }
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
    char text[kMaxPath] = {};
    if (find.lvfi.psz &&
        !WideCharToMultiByte(CP_ACP, 0, find.lvfi.psz, -1, text, sizeof text, nullptr, nullptr))
        return -1;
    return source.find(find.lvfi.flags, text, find.iStart);
}

// What a list view asks of its items' owner, answered here for every dialog: the text and
// picture of an item of a list that keeps none (ItemSource), the type-ahead there, and whether
// to report each item of a list being emptied (no: list-view items own no record). True when
// answered.
bool AnswerListView(HWND dialog, NMHDR& header) {
    switch (header.code) {
    case LVN_DELETEALLITEMS:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return true;
    case LVN_GETDISPINFOA:
        if (const ItemSource* source = ItemSource::Of(header.hwndFrom)) {
            source->describe(reinterpret_cast<NMLVDISPINFOA&>(header).item);
            return true;
        }
        return false;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        if (const ItemSource* source = ItemSource::Of(header.hwndFrom)) {
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FindItem(*source, header));
            return true;
        }
        return false;
    default: return false;
    }
}

}  // namespace

Dialog* Dialog::From(HWND dialog) {
    return dialog ? reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER)) : nullptr;
}

bool Dialog::TakesInput(HWND dialog, UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_KEYDOWN: case WM_CHAR: {
        const Dialog* state = From(dialog);
        return !state || !state->running_;
    }
    default: return true;
    }
}

void Dialog::endCommand() {
    running_ = false;
    if (std::exchange(teardownWaiting_, false)) {
        OnTeardown();
        --CommandsOutlivingTheirDialog();
    }
    if (std::exchange(closeWaiting_, false)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = TRUE;
    switch (message) {
    case WM_INITDIALOG:
        runCommand([&] { result = OnInitDialog(); });
        return result;
    case WM_COMMAND:
        // Handled (TRUE) when dropped: a press during another command does nothing.
        runCommand([&] {
            if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
            else result = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        });
        return result;
    case WM_CLOSE:
        if (running_) {
            closeWaiting_ = true;
        } else {
            OnTeardown();
            EndDialog(hwnd_, closedCode());
        }
        return TRUE;
    case WM_PAINT:
        { PaintScope paint(hwnd_); }
        OnPainted();
        return TRUE;
    case WM_DESTROY:
        // Destroyed under a running command (the host destroyed the owner while a message box
        // was up): the command still holds the parts, so they go when it ends.
        if (running_) {
            teardownWaiting_ = true;
            ++CommandsOutlivingTheirDialog();
        } else {
            OnTeardown();
        }
        return OnMessage(message, wParam, lParam);
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    default: return OnMessage(message, wParam, lParam);
    }
}

INT_PTR Dialog::run(int templateId, HWND parent) {
    return DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(templateId), parent, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        // Items are deleted as the controls go, even while the dialog itself is being torn down.
        FreeRecordOfDeletedItem(message, lParam);
        if (message == WM_INITDIALOG) {
            // run() passed the object.
            reinterpret_cast<Dialog*>(lParam)->hwnd_ = dialog;
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        }
        Dialog* state = From(dialog);
        if (!state) return FALSE;
        if (message == WM_NOTIFY) {
            // A notification handled without a result of its own takes the control's default (0).
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            if (AnswerListView(dialog, *reinterpret_cast<NMHDR*>(lParam))) return TRUE;
        }
        if (message == WM_NCDESTROY) {
            // The caller owns the object and reads its outputs once the dialog has ended.
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            return FALSE;
        }
        return state->dispatch(message, wParam, lParam);
    } catch (...) {
        // A dialog that cannot be set up does not open half-made.
        if (message == WM_INITDIALOG) EndDialog(dialog, -1);
        return FALSE;
    }
}

}  // namespace kx::win
