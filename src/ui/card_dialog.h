// What both card dialogs (101 and 105) are: a dialog with a card half and the tooltips of one
// table. A button's click goes to the dialog's onClick; every command whose notification code
// is 1 then re-checks the card.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/card_half.h"
#include "ui/win/dialog_base.h"

namespace kx {

class CardDialog : public win::Dialog {
protected:
    // The table's tooltips, owned by the dialog and destroyed with it.
    void addTooltips() const;
    // Makes the card half and finds the card: false when Cancel at the no-card prompt ended the
    // dialog.
    bool startCard(PreviewDesign preview);
    virtual void onClick(int id) = 0;

    INT_PTR OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header, LPARAM lParam) override;
    void OnTeardown() override { card_.reset(); }

    std::optional<CardHalf> card_;  // from the start-up to the teardown
};

}  // namespace kx
