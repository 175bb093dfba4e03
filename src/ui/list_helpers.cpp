// Design list helpers over list-view messages.
#include "ui/list_helpers.h"

#include "resource_ids.h"
#include "ui/win/module.h"

namespace kx {

HWND ListInsertColumns(HWND dialog, int controlId, const ListColumn* columns, int count) {
    win::ListView list(dialog, controlId);
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].width;
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        list.insertColumn(i, column);
    }
    return list.hwnd();
}

win::ImageList CreateDesignListImages(const win::ListView& list, HWND dialog, int id) {
    static constexpr ListColumn kColumns[] = {{200, "FileName"}};
    ListInsertColumns(dialog, id, kColumns, 1);
    win::ImageList images = win::LoadMaskedImageList(win::ThisModule(), IDB_LIST_PICTURES, 16, 11, 5);
    list.setImageList(images.get(), LVSIL_SMALL);
    return images;
}

int ListInsertItem(const win::ListView& list, int image, std::unique_ptr<ItemRecord> record,
                   const std::string& text, int position) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = position;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.lParam = HandToItem(std::move(record));
    int index = list.insertItem(item);
    if (index < 0) FreeItemRecord(item.lParam);
    return index;
}

int ListImage(const win::ListView& list, int index) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return list.getItem(item) ? item.iImage : -1;
}

ItemRecord* ListRecord(const win::ListView& list, int index) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    return list.getItem(item) ? RecordOf(item.lParam) : nullptr;
}

std::string ListText(const win::ListView& list, int index) {
    char text[kItemNameMax + 1] = {};
    int n = list.itemText(index, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

namespace {

void SetImage(const win::ListView& list, int index, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    list.setItem(item);
}

}  // namespace

int ListSetAllChecks(const win::ListView& list, bool on) {
    // Drawn once: a picture changed with drawing on asks for its own repaint, row by row.
    list.setRedraw(false);
    int designs = 0;
    for (int i = 0, n = list.itemCount(); i < n; ++i) {
        if (!IsDesignImage(ListImage(list, i))) continue;
        SetImage(list, i, on ? IMAGE_CHECKED : IMAGE_UNCHECKED);
        ++designs;
    }
    list.setRedraw(true);
    InvalidateRect(list.hwnd(), nullptr, TRUE);
    return designs;
}

int ListToggleCheck(const win::ListView& list, int index) {
    int image = ListImage(list, index);
    if (!IsDesignImage(image)) return 0;
    bool nowTicked = image == IMAGE_UNCHECKED;
    SetImage(list, index, nowTicked ? IMAGE_CHECKED : IMAGE_UNCHECKED);
    return nowTicked ? 1 : 0;
}

int ListToggleCheck(const win::ListView& list, int index, int& ticked) {
    bool design = IsDesignImage(ListImage(list, index));
    int nowTicked = ListToggleCheck(list, index);
    if (design) ticked += nowTicked ? 1 : -1;
    return nowTicked;
}

std::vector<ListRow> ListRows(const win::ListView& list) {
    std::vector<ListRow> rows;
    int n = list.itemCount();
    rows.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i) {
        char text[kItemNameMax + 1] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (!list.getItem(item)) break;
        const ItemRecord* record = RecordOf(item.lParam);
        rows.push_back({text, record ? record->path : std::string(), item.iImage == IMAGE_CHECKED});
    }
    return rows;
}

void ListReplaceItems(const win::ListView& list, std::vector<NewListItem> items, int keepVisible) {
    list.setRedraw(false);
    list.deleteAllItems();
    list.setItemCount(static_cast<int>(items.size()));
    int position = 0;
    for (NewListItem& item : items) {
        std::string text = item.record ? item.record->name : std::string();
        if (ListInsertItem(list, item.image, std::move(item.record), text, position) >= 0) ++position;
    }
    list.setRedraw(true);
    if (keepVisible >= 0 && keepVisible < position) list.ensureVisible(keepVisible, false);
    InvalidateRect(list.hwnd(), nullptr, TRUE);
}

int ListHitTest(const win::ListView& list, LPARAM point, UINT* flags) {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    int index = list.hitTest(hit);
    if (flags) *flags = hit.flags;
    return index;
}

}  // namespace kx
