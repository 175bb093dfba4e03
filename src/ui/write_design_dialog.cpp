// Dialog 105: the card half shared with the main dialog, the design name with its Name button,
// and the Write arrow that stores the host's design (or the designs of its list file) in the
// current card folder and closes the dialog once something was written.
#include "ui/write_design_dialog.h"

#include <commctrl.h>

#include "card/card_drives.h"
#include "resource_ids.h"
#include "transfer/card_transfers.h"
#include "ui/design_name_dialog.h"
#include "ui/dialog_common.h"
#include "ui/dialog_support.h"
#include "ui/win/button.h"
#include "ui/win/gdi.h"
#include "ui/win/module.h"

namespace kx {

namespace {

void ShowWaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

}  // namespace

void WriteDesignDialog::showDesignName() const { SetDlgItemTextA(hwnd(), IDC_DESIGN_NAME, designName.c_str()); }

INT_PTR WriteDesignDialog::OnInitDialog() {
    HWND dialog = hwnd();
    CreateTooltips(dialog, WriteDialogTips);  // owned by the dialog, destroyed with it
    arrow_.reset(static_cast<HICON>(LoadImageA(win::ThisModule(), MAKEINTRESOURCEA(IDI_WRITE_ARROW),
                                               IMAGE_ICON, 24, 24, LR_DEFAULTCOLOR)));
    win::Button(dialog, IDC_WRITE_ARROW).setIcon(arrow_.get());
    if (!fromMemory) SetWindowTextA(dialog, "Write Designs");
    showDesignName();
    card_.Create(dialog);
    if (card_.DiscoverCard() == DiscoverOutcome::Ended) return TRUE;
    SetCardView(dialog, CARD_VIEW_FOLDERS);
    SetCardSelectedCount(dialog, 0);
    CenterOnScreen(dialog);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    return TRUE;
}

INT_PTR WriteDesignDialog::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_WRITE_ARROW: onWrite(); break;
    case IDCANCEL: PostMessageA(hwnd(), WM_CLOSE, 0, 0); break;
    case IDC_CARD_OPEN: card_.OnOpenButton(); break;
    case IDC_NAME_BUTTON: onName(); break;
    default: break;
    }
    // Code 1 is the drive combo's change of selection.
    if (code == 1) card_.RecheckCard();
    return TRUE;
}

void WriteDesignDialog::onWrite() {
    std::string root;
    if (!card_.GetCardDrive(root) || !CheckCardReady(Owner(hwnd()), root)) return;
    TransferResult result = write(card_.Target(root));
    if (result == TransferResult::CardWriteFailed) ShowCardWriteFailed(Owner(hwnd()));
    if (result != TransferResult::NothingDone) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

TransferResult WriteDesignDialog::write(const CardTarget& card) {
    if (!card.folder) return TransferResult::NothingDone;
    ShowWaitCursor();
    if (fromMemory) return WriteHostDesign(Owner(hwnd()), hostDesign, designName, card);
    return WriteListedFiles(Owner(hwnd()), fileListPath, designName, card);
}

void WriteDesignDialog::onName() {
    if (RunDesignNameDialog(hwnd(), designName) < 0)
        ShowMessage(Owner(hwnd()), "Failed to create Window.", "Enter Filename", mb::ICONHAND);
    showDesignName();
}

INT_PTR WriteDesignDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TTN_NEEDTEXTA)
        SupplyTooltipText(hwnd(), *reinterpret_cast<NMTTDISPINFOA*>(lParam), WriteDialogTips);
    return TRUE;
}

INT_PTR WriteDesignDialog::OnMessage(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_PAINT: {
        win::PaintScope paint(hwnd());  // the controls draw themselves
        return TRUE;
    }
    case WM_CLOSE:
        card_.Destroy();
        EndDialog(hwnd(), 1);
        return TRUE;
    case WM_DESTROY:
        // Also reached without WM_CLOSE, when Cancel at the no-card prompt ended the start-up.
        card_.Destroy();
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace kx
