// The card drive combo: the drives that may hold the card, the selected one as the card drive,
// and the opening check and re-check of the card.
#include <cstdio>

#include "card/card_drives.h"
#include "platform/messages.h"
#include "resource_ids.h"
#include "ui/card_half.h"
#include "ui/dialog_common.h"
#include "ui/win/dialog_base.h"
#include "ui/win/item_record.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

win::Subclass g_driveComboSubclass(&CardHalf::DriveComboProc);

WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

}  // namespace

void CardHalf::AttachDriveCombo(HWND dialog, int id) {
    driveCombo_ = win::ComboBox(dialog, id);
    g_driveComboSubclass.attach(driveCombo_.hwnd(), this);
    driveCombo_.setItemHeight(-1, 14);
}

LRESULT CALLBACK CardHalf::DriveComboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    // A drive chosen during a command would never be checked: its change is a command too.
    if (!win::Dialog::TakesInput(GetParent(combo), message)) return 0;
    if (!win::IsDropDownToggle(message, wParam)) return g_driveComboSubclass.callPrevious(combo, message, wParam, lParam);
    win::ComboBox box(combo);
    box.showDropDown(!box.droppedState());
    return 0;
}

bool CardHalf::FillDriveCombo() {
    CardDriveList drives = ListCardDrives();
    for (const std::string& root : drives.roots) {
        std::string text = root + " (Removable Disk)";
        int index = driveCombo_.addString(text);
        if (index < 0) continue;
        LPARAM data = HandToItem(NewItemRecord(text, root, -1, -1));
        if (!driveCombo_.setItemData(index, data)) FreeItemRecord(data);
    }
    driveCombo_.setCurSel(drives.firstRemovable);
    return drives.firstRemovable != -1;
}

bool CardHalf::GetCardDrive(std::string& root) const {
    root.clear();
    int selected = driveCombo_.curSel();
    if (selected < 0) return false;
    const ItemRecord* record = RecordOf(driveCombo_.itemData(selected));
    if (!record) return false;
    root = record->path;
    return true;
}

void CardHalf::ClearDriveCombo() {
    // The records go with the items (WM_DELETEITEM).
    if (driveCombo_) driveCombo_.resetContent();
}

DiscoverOutcome CardHalf::DiscoverCard() {
    if (FillDriveCombo()) {
        std::string root;
        GetCardDrive(root);
        if (!DriveHasMedia(root)) return DiscoverOutcome::NoMedia;
        if (CheckCardLayout(dialog_, root)) FolderListFill(root);
        return DiscoverOutcome::Done;
    }
    if (AskForCard(Owner(dialog_)) == id::CANCEL) {
        EndDialog(dialog_, IDCANCEL);
        return DiscoverOutcome::Ended;
    }
    return DiscoverOutcome::Done;
}

void CardHalf::RecheckCard() {
    std::string root;
    if (!GetCardDrive(root)) return;
    if (DriveHasMedia(root) && CheckCardLayout(dialog_, root)) {
        FolderListFill(root);
        return;
    }
    // Deliberately past the rule that a failed check leaves the lists as they were: lists still
    // showing another drive's card would let Write, Read, Erase and Open act on that card while
    // the flush goes to this one. A newly chosen drive without a usable card empties them, so no
    // command can reach the other card.
    if (root != listedRoot_) EmptyCardLists();
}

void CardHalf::EmptyCardLists() {
    if (folderList_) folderList_.deleteAllItems();
    if (designList_) designList_.deleteAllItems();
    listedRoot_.clear();
    designTicked_ = 0;
    SetCardSelectedCount(dialog_, designTicked_);
}

void CardHalf::Create(HWND dialog) {
    dialog_ = dialog;
    AttachDriveCombo(dialog, IDC_DRIVE_COMBO);
    FolderListCreate(dialog, IDC_FOLDER_LIST);
    DesignListCreate(dialog, IDC_DESIGN_LIST);
}

void CardHalf::OnOpenButton() {
    std::string root;
    if (!GetCardDrive(root) || !CheckCardReady(Owner(dialog_), root)) return;
    if (InDesignView(dialog_)) {
        if (!CheckCardLayout(dialog_, root)) return;
        FolderListFill(root);
        SetCardView(dialog_, CARD_VIEW_FOLDERS);
        SetCardSelectedCount(dialog_, 0);
        return;
    }
    std::string name, path;
    if (FolderListGetCurrent(&name, &path) == -1) return;
    DesignListFill(path);
    SetCardView(dialog_, CARD_VIEW_DESIGNS, name);
    SetCardSelectedCount(dialog_, 0);
}

void CardHalf::Destroy() {
    ClearDriveCombo();
    FolderListDestroy();
    DesignListDestroy();
}

CardTarget CardHalf::Target(const std::string& root) const {
    CardTarget target{std::nullopt, root};
    std::string path;
    if (FolderListGetCurrent(nullptr, &path) != -1) target.folder = path;
    return target;
}

}  // namespace kx
