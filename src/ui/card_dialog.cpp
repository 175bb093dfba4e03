// The card dialogs' commands, tooltips and card half.
#include "ui/card_dialog.h"

#include <commctrl.h>

#include "ui/dialog_common.h"

namespace kx {

void CardDialog::addTooltips() const { CreateTooltips(hwnd(), CardDialogTips); }

bool CardDialog::startCard(PreviewDesign preview) {
    card_.emplace(hwnd(), std::move(preview));
    if (card_->discoverCard() != DiscoverOutcome::Cancelled) return true;
    EndDialog(hwnd(), IDCANCEL);
    return false;
}

INT_PTR CardDialog::OnCommand(int id, int code, HWND) {
    // A notification from a control torn down with the dialog finds nothing to act on.
    if (!card_) return TRUE;
    if (code == BN_CLICKED) onClick(id);
    if (RechecksCard(code)) card_->recheckCard();
    return TRUE;
}

INT_PTR CardDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TTN_NEEDTEXTA) SupplyTooltipText(hwnd(), *reinterpret_cast<NMTTDISPINFOA*>(lParam), CardDialogTips);
    // No message result is set: every notification takes its default outcome.
    return TRUE;
}

}  // namespace kx
