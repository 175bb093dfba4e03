// Design lists over list-view messages: their rows and ticks kept here, shown there.
#include "ui/design_list_view.h"

#include "platform/paths.h"
#include "resource_ids.h"
#include "ui/win/module.h"

namespace kx {

namespace {

// Pictures of bitmap 142.
constexpr int kUntickedPicture = 10;
constexpr int kTickedPicture = 11;
// Sizes at 96 dpi: the name column, the pictures of the strip.
constexpr int kColumnWidth = 200, kPictureSize = 16;

int PictureOf(const ShownRow& row) {
    if (row.kind != RowKind::Design) return row.picture;
    return row.ticked ? kTickedPicture : kUntickedPicture;
}

void InsertColumn(const win::ListView& list, int width, const char* title) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    list.insertColumn(0, column);
}

}  // namespace

DesignListView::DesignListView(HWND dialog, int id) : list_(dialog, id) {
    InsertColumn(list_, kColumnWidth, "FileName");
    applyDpi(win::Dpi::Of(dialog));
    ItemSource::Attach(list_.hwnd(), this);
}

void DesignListView::applyDpi(const win::Dpi& dpi) {
    list_.setColumnWidth(0, dpi.scale(kColumnWidth));
    win::ImageList pictures =
        win::LoadMaskedImageList(win::ThisModule(), IDB_LIST_PICTURES, kPictureSize, 11, 5, dpi.scale(kPictureSize));
    list_.setImageList(pictures.get(), LVSIL_SMALL);
    images_ = std::move(pictures);  // the list shows the new ones before the old go
}

DesignListView::~DesignListView() {
    if (!list_) return;
    ItemSource::Detach(list_.hwnd());
    list_.deleteAllItems();
    list_.setImageList(nullptr, LVSIL_SMALL);
}

void DesignListView::show(std::vector<ShownRow> rows, int keepVisible) {
    rows_ = std::move(rows);
    ticked_ = 0;
    for (ShownRow& shown : rows_) shown.ticked = false;
    // Emptied first: no selection or focus is left from the rows before.
    list_.deleteAllItems();
    if (!list_.setItemCount(static_cast<int>(rows_.size()))) rows_.clear();
    if (row(keepVisible)) list_.ensureVisible(keepVisible, false);
    InvalidateRect(list_.hwnd(), nullptr, TRUE);
}

const ShownRow* DesignListView::row(int index) const {
    return index >= 0 && index < size() ? &rows_[static_cast<std::size_t>(index)] : nullptr;
}

bool DesignListView::toggle(int index) {
    if (!row(index) || rows_[static_cast<std::size_t>(index)].kind != RowKind::Design) return false;
    ShownRow& shown = rows_[static_cast<std::size_t>(index)];
    shown.ticked = !shown.ticked;
    ticked_ += shown.ticked ? 1 : -1;
    list_.redrawItems(index, index);
    return shown.ticked;
}

void DesignListView::setAllTicks(bool on) {
    ticked_ = 0;
    for (ShownRow& shown : rows_) {
        if (shown.kind != RowKind::Design) continue;
        shown.ticked = on;
        ticked_ += on ? 1 : 0;
    }
    InvalidateRect(list_.hwnd(), nullptr, TRUE);
}

std::vector<ListRow> DesignListView::listRows() const {
    std::vector<ListRow> rows;
    rows.reserve(rows_.size());
    for (const ShownRow& shown : rows_) rows.push_back({shown.name, shown.path, shown.ticked});
    return rows;
}

int DesignListView::arrowTarget(WPARAM key) const {
    if (key != VK_UP && key != VK_DOWN) return -1;
    int focused = this->focused();
    int target = focused + (key == VK_UP ? -1 : 1);
    return focused >= 0 && row(target) ? target : -1;
}

void DesignListView::describe(LVITEMA& item) const {
    const ShownRow* shown = row(item.iItem);
    if (!shown) return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        lstrcpynA(item.pszText, shown->name.c_str(), item.cchTextMax);
    if (item.mask & LVIF_IMAGE) item.iImage = PictureOf(*shown);
}

int DesignListView::find(UINT flags, std::string_view text, int start) const {
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
    auto matches = [&](const ShownRow& shown) {
        return (flags & LVFI_PARTIAL) ? StartsWithIgnoreCase(shown.name, text) : EqualsIgnoreCase(shown.name, text);
    };
    const int n = size();
    start = start >= 0 && start < n ? start : 0;
    for (int pass = 0, i = start; pass < n; ++pass, ++i) {
        if (i == n) {
            if (!(flags & LVFI_WRAP)) return -1;
            i = 0;
        }
        if (matches(rows_[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

}  // namespace kx
