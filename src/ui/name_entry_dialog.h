// The dialogs on template 106 (the design name and the folder rename): one edit field under a
// prompt. OK hands the entry to the dialog's own check, which ends the dialog with 1 when it
// takes the entry; Cancel, Esc and the close box end it with 2. OK runs as the dialog's one
// command, so a second OK pressed under the check's message box does nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/win/dialog_base.h"

namespace kx {

class NameEntryDialog : public win::Dialog {
public:
    // In: the name the field shows. Out: the name taken, when the dialog ended with 1.
    std::string name;

    // Runs the dialog owned by `owner`: 1 once a name was taken, 2 without, -1 (or 0) when the
    // dialog could not be made.
    INT_PTR run(HWND owner);

protected:
    // What the dialog shows besides the template: its own title and prompt.
    virtual void label() {}
    // The name an entry gives, or nothing (its refusal already shown) to keep the dialog open.
    virtual std::optional<std::string> take(std::string typed) = 0;

private:
    INT_PTR closedCode() const override { return 2; }
    INT_PTR OnInitDialog() override;
    INT_PTR OnCommand(int id, int code, HWND control) override;
};

}  // namespace kx
