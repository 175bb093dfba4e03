// The main dialog's handlers: start-up in its fixed order, commands handed to the halves and
// the transfers, the refreshes after each transfer, teardown.
#include "ui/main_dialog.h"

#include <commctrl.h>

#include <array>

#include "entry/module_state.h"
#include "resource_ids.h"
#include "transfer/card_transfers.h"
#include "ui/card_half.h"
#include "ui/dialog_common.h"
#include "ui/list_helpers.h"
#include "ui/win/button.h"
#include "ui/win/dialog_base.h"
#include "ui/win/gdi.h"

namespace kx {

namespace {

WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

struct ButtonIcon {
    int control, icon, size;
};
constexpr std::array<ButtonIcon, 4> kButtonIcons{{
    {IDC_WRITE_ARROW, IDI_WRITE_ARROW, 24},
    {IDC_READ_ARROW, IDI_READ_ARROW, 24},
    {IDC_ERASE, IDI_WASTE_BIN, 24},
    {IDC_FOLDER_UP, IDI_FOLDER_UP, 16},
}};

class MainDialog : public win::Dialog {
protected:
    INT_PTR OnInitDialog() override;
    INT_PTR OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header, LPARAM lParam) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void handleCommand(int id);
    void teardown();
    // The card root for a command, after the card check; nothing when the command must stop.
    std::optional<std::string> checkedCardRoot();
    void onWrite();
    void onRead();
    void onErase();

    HWND tips_ = nullptr;
    std::array<win::Icon, kButtonIcons.size()> icons_;
    CardHalf card_;
};

INT_PTR MainDialog::OnInitDialog() {
    HWND dialog = hwnd();
    tips_ = CreateTooltips(dialog, MainDialogTips);
    for (std::size_t i = 0; i < kButtonIcons.size(); ++i) {
        const ButtonIcon& b = kButtonIcons[i];
        icons_[i].reset(static_cast<HICON>(LoadImageA(moduleState().ModuleInstance, MAKEINTRESOURCEA(b.icon),
                                                      IMAGE_ICON, b.size, b.size, LR_DEFAULTCOLOR)));
        win::Button(dialog, b.control).setIcon(icons_[i].get());
    }
    for (int id : {IDC_WRITE_ARROW, IDC_READ_ARROW, IDC_ERASE}) EnableWindow(GetDlgItem(dialog, id), FALSE);
    SetPcSelectedCount(dialog, 0);
    card_.Create(dialog);
    if (card_.DiscoverCard() == DiscoverOutcome::Ended) return TRUE;
    SetCardView(dialog, CARD_VIEW_FOLDERS);
    SetCardSelectedCount(dialog, 0);
    win::Button(dialog, IDC_PREVIEW_CHECK).setCheck(true);
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
    case IDC_CARD_OPEN: card_.OnOpenButton(); break;
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

void MainDialog::onWrite() {}

void MainDialog::onRead() {}

void MainDialog::onErase() {
    auto root = checkedCardRoot();
    if (!root) return;
    if (!EraseSelectedFromCard(Owner(hwnd()), ListRows(card_.designList()), card_.Target(*root))) return;
    std::string path;
    if (card_.FolderListGetCurrent(nullptr, &path) != -1) {
        card_.DesignListFill(path);
        SetCardSelectedCount(hwnd(), 0);
    }
}

INT_PTR MainDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TTN_NEEDTEXTA)
        SupplyTooltipText(hwnd(), *reinterpret_cast<NMTTDISPINFOA*>(lParam), MainDialogTips);
    return TRUE;
}

INT_PTR MainDialog::OnMessage(UINT message, WPARAM, LPARAM) {
    switch (message) {
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

void MainDialog::teardown() { card_.Destroy(); }

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return win::RunDialogProcedure<MainDialog>(dialog, message, wParam, lParam);
}

}  // namespace kx
