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
#include "ui/list_helpers.h"
#include "ui/win/button.h"
#include "ui/win/gdi.h"
#include "ui/win/module.h"

namespace kx {

namespace {

WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

struct ButtonIcon {
    int control, icon, size;
};
constexpr std::array<ButtonIcon, MainDialog::kButtonIconCount> kButtonIcons{{
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
    tips_ = CreateTooltips(dialog, MainDialogTips);
    for (std::size_t i = 0; i < kButtonIcons.size(); ++i) {
        const ButtonIcon& b = kButtonIcons[i];
        icons_[i].reset(static_cast<HICON>(LoadImageA(win::ThisModule(), MAKEINTRESOURCEA(b.icon),
                                                      IMAGE_ICON, b.size, b.size, LR_DEFAULTCOLOR)));
        win::Button(dialog, b.control).setIcon(icons_[i].get());
    }
    for (int id : {IDC_WRITE_ARROW, IDC_READ_ARROW, IDC_ERASE}) EnableWindow(GetDlgItem(dialog, id), FALSE);
    tree_.LocationComboCreate(dialog, IDC_LOCATION_COMBO, 0, 200);
    pcList_.PcListCreate(dialog, IDC_PC_LIST, tree_);
    pcList_.preview = card_.preview = [this](const std::string* path) { preview_.ShowDesignPreview(path); };
    tree_.SelectFolderPath(workFolder);
    takeWorkFolder();
    // The list shows the tree's folder; workFolder keeps a start folder the tree cannot place.
    const std::string shown = tree_.GetCurrentFolderPath();
    pcList_.PcListFill(shown);
    card_.Create(dialog);
    if (card_.DiscoverCard() == DiscoverOutcome::Ended) return TRUE;
    SetCardView(dialog, CARD_VIEW_FOLDERS);
    SetCardSelectedCount(dialog, 0);
    win::Button(dialog, IDC_PREVIEW_CHECK).setCheck(true);
    preview_.CreatePreviewCanvas(dialog);
    preview_.ClearPreview();
    CenterOnScreen(dialog);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    return TRUE;
}

INT_PTR MainDialog::OnCommand(int id, int code, HWND) {
    handleCommand(id);
    // Code 1 is the drive combo's selection change, and a double click on the preview pane.
    if (code == 1) card_.RecheckCard();
    return TRUE;
}

void MainDialog::handleCommand(int id) {
    switch (id) {
    case IDCANCEL: PostMessageA(hwnd(), WM_CLOSE, 0, 0); break;
    case IDC_CARD_SELECT_ALL: card_.SelectAllDesigns(); break;
    case IDC_PC_SELECT_ALL: onPcSelectAll(); break;
    case IDC_CARD_OPEN: card_.OnOpenButton(); break;
    case IDC_FOLDER_UP: {
        std::string parent;
        if (tree_.GoUpOneFolder(parent)) pcList_.PcListFill(parent);
        break;
    }
    case IDC_PREVIEW_CHECK: preview_.ClearPreview(); break;
    case IDC_PC_OPEN: {
        std::string path;
        int kind = pcList_.PcListOpenFocused(path);
        if (kind == 0 || kind == 1) openPcFolder(path);
        break;
    }
    case IDC_WRITE_ARROW: onWrite(); break;
    case IDC_READ_ARROW: onRead(); break;
    case IDC_ERASE: onErase(); break;
    default: break;
    }
}

std::optional<std::string> MainDialog::checkedCardRoot() {
    std::string root;
    if (!card_.GetCardDrive(root) || !CheckCardReady(Owner(hwnd()), root)) return std::nullopt;
    return root;
}

void MainDialog::takeWorkFolder() {
    // The host gets back a folder it can use: the PC side at "My Computer" (a start folder the
    // tree cannot place falls back there) or without a current item leaves workFolder as it is.
    std::string folder = tree_.GetCurrentFolderPath();
    if (!folder.empty() && lstrcmpiA(folder.c_str(), kMyComputer) != 0) workFolder = std::move(folder);
}

void MainDialog::openPcFolder(const std::string& path) {
    tree_.SelectFolderPath(path);
    pcList_.PcListFill(path);
}

void MainDialog::onPcSelectAll() {
    // The pair halves' headers are read: a large folder takes a while.
    LongListWork work(hwnd(), static_cast<std::size_t>(pcList_.list().itemCount()));
    pcList_.PcListSetAllChecks(true);
    if (pcList_.PcListUncheckUnpaired())
        ShowMessage(Owner(hwnd()), kPairMissingMessage, "Attention", mb::ICONEXCLAMATION);
    SetPcSelectedCount(hwnd(), pcList_.PcListTicked());
}

void MainDialog::onWrite() {
    auto root = checkedCardRoot();
    if (!root) return;
    TransferResult result = WriteSelectedToCard(Owner(hwnd()), ListRows(pcList_.list()), card_.Target(*root), WaitCursor());
    if (result == TransferResult::NothingDone) return;
    if (result == TransferResult::CardWriteFailed) ShowCardWriteFailed(Owner(hwnd()));
    preview_.ClearPreview();
    pcList_.PcListSetAllChecks(false);
    SetPcSelectedCount(hwnd(), 0);
    takeWorkFolder();
    refreshCardAfterWrite(*root);
}

void MainDialog::refreshCardAfterWrite(const std::string& root) {
    if (InDesignView(hwnd())) {
        std::string path;
        if (card_.FolderListGetCurrent(nullptr, &path) == -1) return;
        card_.DesignListFill(path);
        SetCardSelectedCount(hwnd(), 0);
    } else if (card_.CheckCardLayout(hwnd(), root)) {
        card_.FolderListFill(root);
    }
}

void MainDialog::onRead() {
    auto root = checkedCardRoot();
    if (!root) return;
    std::string pcFolder = tree_.GetCurrentFolderPath();
    if (ReadSelectedFromCard(Owner(hwnd()), ListRows(card_.designList()), card_.Target(*root), pcFolder,
                             WaitCursor()) == TransferResult::NothingDone)
        return;
    preview_.ClearPreview();
    pcList_.PcListFill(tree_.GetCurrentFolderPath());
    takeWorkFolder();
    card_.DesignListSetAllChecks(false);
    SetCardSelectedCount(hwnd(), 0);
}

void MainDialog::onErase() {
    auto root = checkedCardRoot();
    if (!root) return;
    if (EraseSelectedFromCard(Owner(hwnd()), ListRows(card_.designList()), card_.Target(*root), WaitCursor()) ==
        TransferResult::NothingDone)
        return;
    LongListWork work(hwnd(), static_cast<std::size_t>(card_.designList().itemCount()));
    preview_.ClearPreview();
    std::string path;
    if (card_.FolderListGetCurrent(nullptr, &path) != -1) {
        card_.DesignListFill(path);
        SetCardSelectedCount(hwnd(), 0);
    }
}

INT_PTR MainDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TTN_NEEDTEXTA) {
        SupplyTooltipText(hwnd(), *reinterpret_cast<NMTTDISPINFOA*>(lParam), MainDialogTips);
    } else if (header.hwndFrom == tree_.tree() && header.hwndFrom) {
        if (header.code == TVN_ITEMEXPANDINGA) tree_.OnFolderTreeExpanding(*reinterpret_cast<NMTREEVIEWA*>(lParam));
        if (header.code == NM_KILLFOCUS) tree_.OnFolderTreeKillFocus(hwnd());
    }
    // No message result is set: every notification takes its default outcome.
    return TRUE;
}

INT_PTR MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (wParam == IDC_LOCATION_COMBO) tree_.DrawLocationCombo(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_PAINT: {
        { win::PaintScope paint(hwnd()); }
        preview_.RepaintPreview();
        return TRUE;
    }
    case WM_FOLDER_CHOSEN:
        if (const ItemRecord* record = reinterpret_cast<const ItemRecord*>(lParam)) pcList_.PcListFill(record->path);
        tree_.FocusLocationCombo();
        return TRUE;
    case WM_CLOSE:
        teardown();
        EndDialog(hwnd(), 1);
        return TRUE;
    case WM_DESTROY:
        // Also reached without WM_CLOSE, when the no-card prompt ended the start-up.
        teardown();
        return FALSE;
    default: return FALSE;
    }
}

void MainDialog::teardown() {
    tree_.FolderTreeDestroy();
    pcList_.PcListDestroy();
    card_.Destroy();
    preview_.DestroyPreviewCanvas();
}

}  // namespace kx
