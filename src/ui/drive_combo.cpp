// The card drive combo: one entry a drive, its root in the entry's record.
#include "ui/drive_combo.h"

#include "card/card_drives.h"
#include "ui/win/item_record.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

using DriveComboSubclass = win::Subclass<DriveCombo, &DriveCombo::onMessage>;

}  // namespace

DriveCombo::DriveCombo(HWND dialog, int id) : combo_(dialog, id) {
    DriveComboSubclass::Attach(combo_.hwnd(), this);
}

DriveCombo::~DriveCombo() {
    DriveComboSubclass::Detach(combo_.hwnd());
    // The records go with the items (WM_DELETEITEM).
    if (combo_) combo_.resetContent();
}

LRESULT DriveCombo::onMessage(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win::IsDropDownToggle(message, wParam)) return DriveComboSubclass::CallPrevious(combo, message, wParam, lParam);
    combo_.showDropDown(!combo_.droppedState());
    return 0;
}

bool DriveCombo::fill() {
    CardDriveList drives = ListCardDrives();
    for (const std::string& root : drives.roots) {
        std::string text = root + " (Removable Disk)";
        int index = combo_.addString(text);
        if (index < 0) continue;
        LPARAM data = HandToItem(NewItemRecord(text, root, -1, -1));
        if (!combo_.setItemData(index, data)) FreeItemRecord(data);
    }
    combo_.setCurSel(drives.firstRemovable);
    return drives.firstRemovable != -1;
}

std::optional<std::string> DriveCombo::selectedRoot() const {
    int selected = combo_.curSel();
    const ItemRecord* record = selected >= 0 ? RecordOf(combo_.itemData(selected)) : nullptr;
    if (!record) return std::nullopt;
    return record->path;
}

}  // namespace kx
