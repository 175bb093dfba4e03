// The card folder list: the twelve design folders from the order file, the current folder,
// opening a folder by a double click and renaming its display name by a right click.
#include "card/card_drives.h"
#include "card/card_layout.h"
#include "resource_ids.h"
#include "ui/card_half.h"
#include "ui/dialog_common.h"
#include "ui/folder_rename_dialog.h"
#include "ui/list_helpers.h"
#include "ui/win/dialog_base.h"
#include "ui/win/module.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

win::Subclass g_folderListSubclass(&CardHalf::FolderListProc);

// Pictures of bitmap 141.
constexpr int kFolderClosed = 0;
constexpr int kFolderOpen = 2;

WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

}  // namespace

void CardHalf::FolderListCreate(HWND dialog, int id) {
    folderList_ = win::ListView(dialog, id);
    folderImages_ = win::LoadMaskedImageList(win::ThisModule(), IDB_CARD_FOLDERS, 32, 4, 2);
    folderList_.setImageList(folderImages_.get(), LVSIL_NORMAL);
    RECT r{};
    GetWindowRect(folderList_.hwnd(), &r);
    folderList_.setIconSpacing((r.right - r.left - 4) / 4, (r.bottom - r.top - 4) / 3);
    currentFolder_ = 0;
    orderFile_.reset();
    g_folderListSubclass.attach(folderList_.hwnd(), this);
}

int CardHalf::CheckCardLayout(HWND owner, const std::string& root) {
    return kx::CheckCardLayout(Owner(owner), root, orderFile_);
}

int CardHalf::FolderListFill(const std::string& root) {
    // After a failed check there is no order file to read: the list keeps what it shows.
    if (!orderFile_) return 0;
    std::vector<NewListItem> items;
    for (int i = 0; i < kCardFolderCount; ++i) {
        int image = (orderFile_.hasDesigns(i) ? 1 : 0) + (i == currentFolder_ ? kFolderOpen : kFolderClosed);
        items.push_back({image, NewItemRecord(orderFile_.displayName(i), CardFolderPath(root, i).value_or(""), image, -1)});
    }
    ListReplaceItems(folderList_, std::move(items));
    listedRoot_ = root;
    return 1;
}

int CardHalf::FolderListGetCurrent(std::string* name, std::string* path) const {
    if (folderList_.itemCount() == 0 || currentFolder_ < 0) return -1;
    const ItemRecord* record = ListRecord(folderList_, currentFolder_);
    if (!record) return -1;
    if (name) *name = ListText(folderList_, currentFolder_).substr(0, kDisplayNameLength);
    if (path) *path = record->path;
    return currentFolder_;
}

void CardHalf::FolderListDestroy() {
    if (folderList_) {
        folderList_.deleteAllItems();
        // A list view destroys the image lists it still holds: it must hold none of ours.
        folderList_.setImageList(nullptr, LVSIL_NORMAL);
    }
    folderImages_.reset();
    orderFile_.reset();
    listedRoot_.clear();
}

LRESULT CALLBACK CardHalf::FolderListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_folderListSubclass.route<CardHalf>(list, message, wParam, lParam, [&](CardHalf& half) {
        return half.onFolderListMessage(list, message, wParam, lParam);
    });
}

LRESULT CardHalf::onFolderListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win::Dialog::TakesInput(dialog_, message)) return 0;
    if (message == WM_LBUTTONDOWN) {
        int hit = ListHitTest(folderList_, lParam);
        std::string root;
        if (hit >= 0) {
            currentFolder_ = hit;
            if (GetCardDrive(root) && FolderListFill(root)) {
                LVITEMA state{};
                state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
                folderList_.setItemState(hit, state);
            }
        }
    } else if (message == WM_LBUTTONDBLCLK) {
        // Opening checks the card, which may say it is missing; renaming runs a dialog.
        bool opened = false;
        win::Dialog::RunCommand(dialog_, [&] { opened = openFolder(ListHitTest(folderList_, lParam)); });
        if (opened) return 0;
    } else if (message == WM_RBUTTONDOWN) {
        win::Dialog::RunCommand(dialog_, [&] { renameFolder(lParam); });
    }
    return g_folderListSubclass.callPrevious(list, message, wParam, lParam);
}

bool CardHalf::openFolder(int hit) {
    std::string root;
    if (!GetCardDrive(root) || !CheckCardReady(Owner(dialog_), root) || hit < 0) return false;
    currentFolder_ = hit;
    std::string name, path;
    if (FolderListGetCurrent(&name, &path) == -1) return true;
    DesignListFill(path);
    SetCardView(dialog_, CARD_VIEW_DESIGNS, name);
    return true;
}

void CardHalf::renameFolder(LPARAM point) {
    int folder = ListHitTest(folderList_, point);
    if (folder < 0) return;
    std::string name = ListText(folderList_, folder).substr(0, kDisplayNameLength);
    if (!RunRenameDialog(dialog_, name)) return;
    std::string root;
    GetCardDrive(root);
    if (!ApplyFolderRename(Owner(folderList_.hwnd()), root, folder, name, orderFile_)) return;
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(name.c_str());
    folderList_.setItemText(folder, item);
}

}  // namespace kx
