// The PC list: filling from a folder or from the drives, tick clicks with the pair rule,
// opening folders and drives.
#include "ui/pc_list.h"

#include "platform/messages.h"
#include "transfer/design_lists.h"
#include "ui/dialog_common.h"
#include "ui/folder_tree.h"
#include "ui/list_helpers.h"
#include "ui/win/item_record.h"
#include "ui/win/dialog_base.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

win::Subclass g_pcListSubclass(&PcList::PcListProc);

constexpr int kDriveKind = 0, kFolderKind = 1, kDesignKind = 2;
constexpr int kFolderPicture = 0;

const char* const kPairSelected = "This pattern is for the Tandem Hoop.\nThe counterpart of paired files will also be selected.";
const char* const kPairCancelled =
    "This pattern is for the Tandem Hoop.\nSelection of the counterpart of paired files will also be canceled.";

WindowRef Owner(HWND window) { return reinterpret_cast<WindowRef>(window); }

}  // namespace

const char* const kPairMissingMessage =
    "This pattern is for the Tandem Hoop.\nThe file cannot be selected since the counterpart does not exist in this folder.";

void PcList::PcListCreate(HWND dialog, int id, FolderTree& tree) {
    dialog_ = dialog;
    tree_ = &tree;
    list_ = win::ListView(dialog, id);
    images_ = CreateDesignListImages(list_, dialog, id);
    g_pcListSubclass.attach(list_.hwnd(), this);
}

void PcList::PcListFill(const std::string& folder) {
    SetPcSelectedCount(dialog_, 0);
    if (preview) preview(nullptr);
    std::vector<NewListItem> items;
    int keepVisible = -1;  // the drives keep the tree's order: nothing to scroll to
    if (lstrcmpiA(folder.c_str(), kMyComputer) == 0) {
        for (const FolderTree::Child& drive : tree_->CurrentChildren())
            items.push_back({drive.image, NewItemRecord(drive.label, drive.path, kDriveKind, -1)});
    } else {
        std::size_t firstFound = 0;
        for (PcEntry& entry : ListPcFolder(folder, kItemPathMax, &firstFound)) {
            bool design = entry.kind == PcEntryKind::Design;
            items.push_back({design ? IMAGE_UNCHECKED : kFolderPicture,
                             NewItemRecord(entry.name, entry.path, design ? kDesignKind : kFolderKind, -1)});
        }
        // The listing's first entry was the topmost row before the sort: it stays in view.
        keepVisible = static_cast<int>(firstFound);
    }
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const NewListItem& item : items) names.push_back(item.record->name);
    pairs_ = PairFinder(names);
    LongListWork work(dialog_, items.size());
    ListReplaceItems(list_, std::move(items), keepVisible);
    ticked_ = 0;
}

int PcList::PcListOpenFocused(std::string& path) const {
    int focused = list_.nextItem(-1, LVNI_FOCUSED);
    const ItemRecord* record = focused >= 0 ? ListRecord(list_, focused) : nullptr;
    if (!record) return -1;
    path = record->path + (record->image == kFolderKind ? "\\" : "");
    return record->image;
}

void PcList::PcListSetAllChecks(bool on) {
    int designs = ListSetAllChecks(list_, on);
    ticked_ = on ? designs : 0;
}

bool PcList::PcListUncheckUnpaired() {
    std::vector<std::size_t> unpaired = UnpairedTickedHalves(ListRows(list_), pairs_);
    for (std::size_t index : unpaired) ListToggleCheck(list_, static_cast<int>(index), ticked_);
    return !unpaired.empty();
}

void PcList::PcListDestroy() {
    if (list_) {
        list_.deleteAllItems();
        list_.setImageList(nullptr, LVSIL_SMALL);
    }
    images_.reset();
    pairs_ = PairFinder();
}

void PcList::previewRow(int index) const {
    const ItemRecord* record = ListRecord(list_, index);
    if (!record || !preview) return;
    preview(record->image == kDesignKind ? &record->path : nullptr);
}

void PcList::tickClick(int index) {
    bool nowTicked = ListToggleCheck(list_, index, ticked_) == 1;
    const ItemRecord* record = ListRecord(list_, index);
    if (record && IsPairPartFile(record->path)) {
        int counterpart = pairs_.counterpart(static_cast<std::size_t>(index));
        if (counterpart >= 0) {
            ShowMessage(Owner(dialog_), nowTicked ? kPairSelected : kPairCancelled, "Confirm", mb::ICONINFORMATION);
            ListToggleCheck(list_, counterpart, ticked_);
        } else {
            ShowMessage(Owner(dialog_), kPairMissingMessage, "Attention", mb::ICONEXCLAMATION);
            ListToggleCheck(list_, index, ticked_);
        }
    }
    SetPcSelectedCount(dialog_, ticked_);
}

void PcList::openRow(int index) {
    const ItemRecord* record = index >= 0 ? ListRecord(list_, index) : nullptr;
    if (!record || record->image == kDesignKind) return;
    std::string path = record->path + (record->image == kFolderKind ? "\\" : "");
    tree_->SelectFolderPath(path);
    PcListFill(path);
}

LRESULT CALLBACK PcList::PcListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_pcListSubclass.route<PcList>(list, message, wParam, lParam,
                                          [&](PcList& self) { return self.onMessage(list, message, wParam, lParam); });
}

LRESULT PcList::onMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win::Dialog::TakesInput(dialog_, message)) return 0;
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        int focused = list_.nextItem(-1, LVNI_FOCUSED);
        int target = focused + (wParam == VK_UP ? -1 : 1);
        if (focused >= 0 && target >= 0 && target < list_.itemCount()) previewRow(target);
    } else if (message == WM_LBUTTONDOWN) {
        UINT flags = 0;
        int hit = ListHitTest(list_, lParam, &flags);
        if (hit >= 0) {
            // A pair half's tick says so in a message box.
            if (flags == LVHT_ONITEMICON) win::Dialog::RunCommand(dialog_, [&] { tickClick(hit); });
            previewRow(hit);
        }
    } else if (message == WM_LBUTTONDBLCLK) {
        openRow(ListHitTest(list_, lParam));
        return 0;
    }
    return g_pcListSubclass.callPrevious(list, message, wParam, lParam);
}

}  // namespace kx
