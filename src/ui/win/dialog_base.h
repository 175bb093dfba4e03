// A modal dialog as an object its caller owns: the caller fills the object's inputs, runs it
// (the object is the dialog's init parameter, reachable from the window through DWLP_USER from
// WM_INITDIALOG to WM_NCDESTROY) and reads its outputs after it ends. No exception leaves the
// procedure.
//
// One command runs at a time. A command (its start-up, each WM_COMMAND, and a control's action
// run through RunCommand) may open a message box or a dialog whose loop hands on what was
// queued meanwhile: a second press of the same button, a close. While it runs, a further
// command does nothing and WM_CLOSE waits: it is posted again once the command has ended, so
// nothing is torn down under a running command.
//
// Close, Esc (a click of id 2) and the close box close a dialog: it lets go of what its start-up
// made (OnTeardown) and ends with its closed code. OnTeardown runs again when the window goes,
// for a dialog ended during its start-up, so it must be harmless when repeated; a dialog
// destroyed while a command runs (its owner destroyed under a message box) tears down when the
// command has ended.
#pragma once

#include <windows.h>

#include <utility>

namespace kx::win {

class Dialog {
public:
    virtual ~Dialog() = default;
    HWND hwnd() const { return hwnd_; }

    // Runs the dialog of this module's template `templateId` over this object, owned by
    // `parent`: DialogBoxParamA's result (the end code; 0 or -1 when no dialog was made).
    INT_PTR run(int templateId, HWND parent);

    // The state object of `dialog`, or null before WM_INITDIALOG and after WM_NCDESTROY.
    static Dialog* From(HWND dialog);

    // Runs `command` unless a command of this dialog is running; false when it did not run.
    template <class Command>
    bool runCommand(Command&& command) {
        if (running_) return false;
        running_ = true;
        CommandEnd end{*this};
        command();
        return true;
    }
    // The same for a control's action (a click that may ask or refuse) on `dialog`, its parent.
    template <class Command>
    static bool RunCommand(HWND dialog, Command&& command) {
        Dialog* state = From(dialog);
        return state && state->runCommand(std::forward<Command>(command));
    }
    // False for a press or key that reaches a control of `dialog` while a command runs (it was
    // queued before the command's message box disabled the dialog): the control drops it.
    static bool TakesInput(HWND dialog, UINT message);

protected:
    // What the dialog ends with when it is closed.
    virtual INT_PTR closedCode() const { return 1; }
    virtual void OnTeardown() {}
    // After the dialog's own paint (its controls draw themselves): what it draws itself.
    virtual void OnPainted() {}
    // Each returns the procedure's result (TRUE when handled).
    virtual INT_PTR OnInitDialog() { return TRUE; }
    virtual INT_PTR OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return FALSE; }
    virtual INT_PTR OnNotify(const NMHDR& /*header*/, LPARAM /*lParam*/) { return FALSE; }
    // Every other message.
    virtual INT_PTR OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }

private:
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // Ends the running command, and passes on a close that waited for it.
    struct CommandEnd {
        Dialog& dialog;
        ~CommandEnd() { dialog.endCommand(); }
    };
    void endCommand();

    HWND hwnd_ = nullptr;
    bool running_ = false;
    bool closeWaiting_ = false;
    bool teardownWaiting_ = false;
};

}  // namespace kx::win
