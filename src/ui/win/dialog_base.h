// A dialog's procedure as a dispatcher over one state object. The object is made on
// WM_INITDIALOG, reachable from the window through DWLP_USER, and deleted on WM_NCDESTROY;
// no exception leaves the procedure.
#pragma once

#include <windows.h>

#include <memory>

namespace kx::win {

class Dialog {
public:
    virtual ~Dialog() = default;
    HWND hwnd() const { return hwnd_; }

    // The state object of `dialog`, or null before WM_INITDIALOG and after WM_NCDESTROY.
    static Dialog* From(HWND dialog);

protected:
    // Each returns the procedure's result (TRUE when handled).
    virtual INT_PTR OnInitDialog() { return TRUE; }
    virtual INT_PTR OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return FALSE; }
    virtual INT_PTR OnNotify(const NMHDR& /*header*/, LPARAM /*lParam*/) { return FALSE; }
    // Every other message.
    virtual INT_PTR OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }

    template <class D>
    friend INT_PTR RunDialogProcedure(HWND, UINT, WPARAM, LPARAM) noexcept;

private:
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                             std::unique_ptr<Dialog> (*make)()) noexcept;

    HWND hwnd_ = nullptr;
};

// The body of a DLGPROC whose state is a D: `return RunDialogProcedure<D>(h, m, w, l);`.
template <class D>
INT_PTR RunDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dialog::Procedure(dialog, message, wParam, lParam, [] { return std::unique_ptr<Dialog>(new D); });
}

}  // namespace kx::win
