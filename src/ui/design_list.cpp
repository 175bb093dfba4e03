// The card design list: the design files of the open card folder, ticked by a click on their
// picture and previewed by a click or the arrow keys.
#include "transfer/design_lists.h"
#include "ui/card_half.h"
#include "ui/dialog_common.h"
#include "ui/list_helpers.h"
#include "ui/win/dialog_base.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

win::Subclass g_designListSubclass(&CardHalf::DesignListProc);

}  // namespace

void CardHalf::DesignListCreate(HWND dialog, int id) {
    designList_ = win::ListView(dialog, id);
    designImages_ = CreateDesignListImages(designList_, dialog, id);
    g_designListSubclass.attach(designList_.hwnd(), this);
}

void CardHalf::DesignListFill(const std::string& folderPath) {
    SetCardSelectedCount(dialog_, 0);
    std::vector<NewListItem> items;
    std::size_t firstFound = 0;
    for (ListRow& row : ListDesignFiles(folderPath, &firstFound))
        items.push_back({IMAGE_UNCHECKED, NewItemRecord(row.name, row.path, IMAGE_UNCHECKED, -1)});
    LongListWork work(dialog_, items.size());
    // The listing's first file was the topmost row before the sort: it stays in view.
    ListReplaceItems(designList_, std::move(items), static_cast<int>(firstFound));
    designTicked_ = 0;
}

void CardHalf::DesignListDestroy() {
    if (designList_) {
        designList_.deleteAllItems();
        designList_.setImageList(nullptr, LVSIL_SMALL);
    }
    designImages_.reset();
}

void CardHalf::DesignListSetAllChecks(bool on) {
    int designs = ListSetAllChecks(designList_, on);
    designTicked_ = on ? designs : 0;
}

void CardHalf::SelectAllDesigns() {
    if (!InDesignView(dialog_)) return;
    LongListWork work(dialog_, static_cast<std::size_t>(designList_.itemCount()));
    DesignListSetAllChecks(true);
    SetCardSelectedCount(dialog_, designTicked_);
}

void CardHalf::previewRow(int index) {
    const ItemRecord* record = ListRecord(designList_, index);
    if (record && preview) preview(&record->path);
}

LRESULT CALLBACK CardHalf::DesignListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_designListSubclass.route<CardHalf>(list, message, wParam, lParam, [&](CardHalf& half) {
        return half.onDesignListMessage(list, message, wParam, lParam);
    });
}

LRESULT CardHalf::onDesignListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win::Dialog::TakesInput(dialog_, message)) return 0;
    if (message == WM_LBUTTONDOWN) {
        UINT flags = 0;
        int hit = ListHitTest(designList_, lParam, &flags);
        if (hit >= 0) {
            if (flags == LVHT_ONITEMICON) {
                ListToggleCheck(designList_, hit, designTicked_);
                SetCardSelectedCount(dialog_, designTicked_);
            }
            previewRow(hit);
        }
    } else if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        int focused = designList_.nextItem(-1, LVNI_FOCUSED);
        int target = focused + (wParam == VK_UP ? -1 : 1);
        if (focused >= 0 && target >= 0 && target < designList_.itemCount()) previewRow(target);
    }
    return g_designListSubclass.callPrevious(list, message, wParam, lParam);
}

}  // namespace kx
