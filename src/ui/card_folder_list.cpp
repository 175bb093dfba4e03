// The card folder list: filled from the order file, the current folder kept here.
#include "ui/card_folder_list.h"

#include "resource_ids.h"
#include "transfer/card_transfers.h"
#include "ui/win/module.h"

namespace kx {

namespace {

// Pictures of bitmap 141: closed or open, each with or without designs.
constexpr int kFolderClosed = 0;
constexpr int kFolderOpen = 2;

}  // namespace

CardFolderList::CardFolderList(HWND dialog, int id) : list_(dialog, id) {}

void CardFolderList::applyDpi(const win::Dpi& dpi) {
    constexpr int kPictureSize = 32, kBorders = 4;  // at 96 dpi
    win::ImageList pictures =
        win::LoadMaskedImageList(win::ThisModule(), IDB_CARD_FOLDERS, kPictureSize, 4, 2, dpi.scale(kPictureSize));
    list_.setImageList(pictures.get(), LVSIL_NORMAL);
    images_ = std::move(pictures);  // the list shows the new ones before the old go
    RECT r{};
    GetWindowRect(list_.hwnd(), &r);
    const int borders = dpi.scale(kBorders);
    list_.setIconSpacing((r.right - r.left - borders) / 4, (r.bottom - r.top - borders) / 3);
    list_.arrange(LVA_DEFAULT);  // folders shown at a dpi before take the new grid
}

CardFolderList::~CardFolderList() {
    if (!list_) return;
    list_.deleteAllItems();
    list_.setImageList(nullptr, LVSIL_NORMAL);
}

bool CardFolderList::checkLayout(WindowRef owner, const std::string& root) {
    return CheckCardLayout(owner, root, orderFile_);
}

bool CardFolderList::fill(const std::string& root) {
    if (!orderFile_) return false;
    list_.setRedraw(false);
    list_.deleteAllItems();
    for (int i = 0; i < kCardFolderCount; ++i) {
        std::string& name = shownNames_[static_cast<std::size_t>(i)];
        name = orderFile_.displayName(i);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = name.data();
        item.iImage = (orderFile_.hasDesigns(i) ? 1 : 0) + (i == current_ ? kFolderOpen : kFolderClosed);
        list_.insertItem(item);
    }
    list_.setRedraw(true);
    InvalidateRect(list_.hwnd(), nullptr, TRUE);
    shownRoot_ = root;
    return true;
}

void CardFolderList::showCurrent(int index) {
    setCurrent(index);
    if (shownRoot_.empty() || !fill(shownRoot_)) return;
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    list_.setItemState(index, state);
}

void CardFolderList::clear() {
    list_.deleteAllItems();
    shownRoot_.clear();
}

std::optional<CardFolderList::Folder> CardFolderList::current() const {
    if (shownRoot_.empty() || current_ < 0 || current_ >= kCardFolderCount) return std::nullopt;
    std::optional<std::string> path = CardFolderPath(shownRoot_, current_);
    if (!path) return std::nullopt;
    return Folder{current_, shownName(current_), *path};
}

std::string CardFolderList::shownName(int index) const {
    if (shownRoot_.empty() || index < 0 || index >= kCardFolderCount) return {};
    return shownNames_[static_cast<std::size_t>(index)].substr(0, kDisplayNameLength);
}

void CardFolderList::rename(WindowRef owner, const std::string& root, int index, const std::string& name) {
    if (index < 0 || index >= kCardFolderCount || !ApplyFolderRename(owner, root, index, name, orderFile_)) return;
    shownNames_[static_cast<std::size_t>(index)] = name;
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(name.c_str());
    list_.setItemText(index, item);
}

int CardFolderList::hitTest(LPARAM point) const { return list_.hitTest(point); }

}  // namespace kx
