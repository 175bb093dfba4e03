// ItemRecord ownership through the controls' item data.
#include "ui/win/item_record.h"

#include <commctrl.h>

#include <atomic>

namespace kx {

namespace {

std::atomic<std::size_t> g_live{0};

std::string Cut(std::string s, std::size_t max) {
    if (s.size() > max) s.resize(max);
    return s;
}

}  // namespace

std::unique_ptr<ItemRecord> NewItemRecord(std::string name, std::string path, int image, int selectedImage) {
    return std::make_unique<ItemRecord>(
        ItemRecord{image, selectedImage, Cut(std::move(name), kItemNameMax), Cut(std::move(path), kItemPathMax)});
}

LPARAM HandToItem(std::unique_ptr<ItemRecord> record) {
    if (!record) return 0;
    ++g_live;
    return reinterpret_cast<LPARAM>(record.release());
}

ItemRecord* RecordOf(LPARAM data) {
    if (data == 0 || data == CB_ERR) return nullptr;
    return reinterpret_cast<ItemRecord*>(data);
}

void FreeItemRecord(LPARAM data) {
    if (ItemRecord* record = RecordOf(data)) {
        --g_live;
        delete record;
    }
}

void FreeRecordOfDeletedItem(UINT message, LPARAM lParam) {
    if (message == WM_DELETEITEM) {
        const auto* deleted = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
        if (deleted->CtlType == ODT_COMBOBOX) FreeItemRecord(static_cast<LPARAM>(deleted->itemData));
        return;
    }
    if (message != WM_NOTIFY) return;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TVN_DELETEITEMA) {
        FreeItemRecord(reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemOld.lParam);
    }
}

std::size_t LiveItemRecords() { return g_live.load(); }

}  // namespace kx
