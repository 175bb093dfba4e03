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
#include "ui/win/module.h"

namespace kx {

namespace {

void ShowWaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

constexpr ControlIcon kButtonIcons[] = {{IDC_WRITE_ARROW, IDI_WRITE_ARROW, 24}};

}  // namespace

void WriteDesignDialog::showDesignName() const { SetDlgItemTextA(hwnd(), IDC_DESIGN_NAME, designName.c_str()); }

INT_PTR WriteDesignDialog::OnInitDialog() {
    HWND dialog = hwnd();
    addTooltips();
    if (!fromMemory) SetWindowTextA(dialog, "Write Designs");
    showDesignName();
    // No preview pane here: a click on a design previews nothing.
    if (!startCard([](const std::string*) {})) return TRUE;
    ShowStartedDialog(dialog);
    return TRUE;
}

std::span<const ControlIcon> WriteDesignDialog::buttonIcons() const { return kButtonIcons; }

void WriteDesignDialog::onClick(int id) {
    switch (id) {
    case IDC_WRITE_ARROW: onWrite(); break;
    case IDC_CARD_OPEN: card_->onOpenButton(); break;
    case IDC_NAME_BUTTON: onName(); break;
    default: break;
    }
}

void WriteDesignDialog::onWrite() {
    std::optional<std::string> root = card_->readyCardDrive();
    if (!root) return;
    TransferResult result = write(card_->target(*root));
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
    DesignNameDialog nameDialog;
    nameDialog.name = designName;
    INT_PTR ended = nameDialog.run(hwnd());
    if (ended < 0) ShowMessage(Owner(hwnd()), "Failed to create Window.", "Enter Filename", mb::ICONHAND);
    if (ended == 1) designName = nameDialog.name;
    showDesignName();
}

}  // namespace kx
