// The main dialog's handlers: start-up in its fixed order, commands handed to the halves and
// the transfers, the refreshes after each transfer, teardown.
#include "ui/main_dialog.h"

#include <commctrl.h>

#include <array>

#include "card/card_drives.h"
#include "platform/messages.h"
#include "resource_ids.h"
#include "transfer/card_transfers.h"
#include "ui/dialog_common.h"
#include "ui/dialog_support.h"
#include "ui/win/button.h"
#include "ui/win/item_record.h"
#include "ui/win/gdi.h"
#include "ui/win/module.h"

namespace kx {

namespace {

constexpr std::array<ControlIcon, 4> kButtonIcons{{
    {IDC_WRITE_ARROW, IDI_WRITE_ARROW, 24},
    {IDC_READ_ARROW, IDI_READ_ARROW, 24},
    {IDC_ERASE, IDI_WASTE_BIN, 24},
    {IDC_FOLDER_UP, IDI_FOLDER_UP, 16},
}};

TransferObserver WaitCursor() {
    TransferObserver observer;
    // The next mouse move puts the usual cursor back.
    observer.busy = [] { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); };
    return observer;
}

}  // namespace

INT_PTR MainDialog::OnInitDialog() {
    HWND dialog = hwnd();
    addTooltips();
    for (int id : {IDC_WRITE_ARROW, IDC_READ_ARROW, IDC_ERASE}) EnableWindow(GetDlgItem(dialog, id), FALSE);
    tree_.emplace(dialog, IDC_LOCATION_COMBO, 0);
    // The pane comes last: until then a preview shows nothing.
    auto preview = [this](const std::string* path) {
        if (preview_) preview_->ShowDesignPreview(path);
    };
    pcList_.emplace(dialog, IDC_PC_LIST, *tree_, preview);
    tree_->SelectFolderPath(workFolder);
    takeWorkFolder();
    // The list shows the tree's folder; workFolder keeps a start folder the tree cannot place.
    pcList_->fill(tree_->GetCurrentFolderPath());
    if (!startCard(preview)) return TRUE;
    win::Button(dialog, IDC_PREVIEW_CHECK).setCheck(true);
    preview_.emplace(dialog, dpi());
    ShowStartedDialog(dialog);
    return TRUE;
}

std::span<const ControlIcon> MainDialog::buttonIcons() const { return kButtonIcons; }

void MainDialog::applyOwnSizes(const win::Dpi& dpi) {
    if (tree_) tree_->applyDpi(dpi);
    if (pcList_) pcList_->applyDpi(dpi);
    // A canvas made before (a dpi change) is made again at the pane's new size, cleared.
    if (preview_) preview_->applyDpi(dpi);
}

void MainDialog::clearPreview() {
    if (preview_) preview_->ClearPreview();
}

void MainDialog::onClick(int id) {
    switch (id) {
    case IDC_CARD_SELECT_ALL: card_->selectAllDesigns(); break;
    case IDC_PC_SELECT_ALL: onPcSelectAll(); break;
    case IDC_CARD_OPEN: card_->onOpenButton(); break;
    case IDC_FOLDER_UP: {
        std::string parent;
        if (tree_->GoUpOneFolder(parent)) pcList_->fill(parent);
        break;
    }
    case IDC_PREVIEW_CHECK: clearPreview(); break;
    case IDC_PC_OPEN:
        if (std::optional<std::string> folder = pcList_->focusedFolder()) openPcFolder(*folder);
        break;
    case IDC_WRITE_ARROW: onWrite(); break;
    case IDC_READ_ARROW: onRead(); break;
    case IDC_ERASE: onErase(); break;
    default: break;
    }
}

void MainDialog::takeWorkFolder() {
    // The host gets back a folder it can use: the PC side at "My Computer" (a start folder the
    // tree cannot place falls back there) or without a current item leaves workFolder as it is.
    std::string folder = tree_->GetCurrentFolderPath();
    if (!folder.empty() && lstrcmpiA(folder.c_str(), kMyComputer) != 0) workFolder = std::move(folder);
}

void MainDialog::openPcFolder(const std::string& path) {
    tree_->SelectFolderPath(path);
    pcList_->fill(path);
}

void MainDialog::onPcSelectAll() {
    // The pair halves' headers are read: a large folder takes a while.
    LongListWork work(hwnd(), static_cast<std::size_t>(pcList_->size()));
    pcList_->setAllTicks(true);
    if (pcList_->untickUnpaired()) ShowMessage(Owner(hwnd()), kPairMissingMessage, "Attention", mb::ICONEXCLAMATION);
    SetPcSelectedCount(hwnd(), pcList_->ticked());
}

void MainDialog::onWrite() {
    auto root = card_->readyCardDrive();
    if (!root) return;
    TransferResult result = WriteSelectedToCard(Owner(hwnd()), pcList_->listRows(), card_->target(*root), WaitCursor());
    if (result == TransferResult::NothingDone) return;
    if (result == TransferResult::CardWriteFailed) ShowCardWriteFailed(Owner(hwnd()));
    clearPreview();
    pcList_->setAllTicks(false);
    SetPcSelectedCount(hwnd(), 0);
    takeWorkFolder();
    card_->refreshAfterWrite(*root);
}

void MainDialog::onRead() {
    auto root = card_->readyCardDrive();
    if (!root) return;
    const std::string pcFolder = tree_->GetCurrentFolderPath();
    if (ReadSelectedFromCard(Owner(hwnd()), card_->designRows(), card_->target(*root), pcFolder, WaitCursor()) ==
        TransferResult::NothingDone)
        return;
    clearPreview();
    pcList_->fill(pcFolder);
    takeWorkFolder();
    card_->untickDesigns();
}

void MainDialog::onErase() {
    auto root = card_->readyCardDrive();
    if (!root) return;
    if (EraseSelectedFromCard(Owner(hwnd()), card_->designRows(), card_->target(*root), WaitCursor()) ==
        TransferResult::NothingDone)
        return;
    LongListWork work(hwnd(), static_cast<std::size_t>(card_->designCount()));
    clearPreview();
    card_->refillDesigns();
}

INT_PTR MainDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (tree_ && header.hwndFrom == tree_->tree() && header.hwndFrom) {
        if (header.code == TVN_ITEMEXPANDINGA) tree_->onExpanding(*reinterpret_cast<NMTREEVIEWA*>(lParam));
        if (header.code == NM_KILLFOCUS) tree_->onKillFocus(hwnd());
    }
    return CardDialog::OnNotify(header, lParam);
}

INT_PTR MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (wParam == IDC_LOCATION_COMBO && tree_) tree_->DrawLocationCombo(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_FOLDER_CHOSEN:
        if (const ItemRecord* record = reinterpret_cast<const ItemRecord*>(lParam); record && pcList_)
            pcList_->fill(record->path);
        if (tree_) tree_->FocusLocationCombo();
        return TRUE;
    default: return CardDialog::OnMessage(message, wParam, lParam);
    }
}

void MainDialog::OnTeardown() {
    pcList_.reset();
    tree_.reset();
    CardDialog::OnTeardown();
    preview_.reset();
}

}  // namespace kx
