// Helpers for the design lists (the card's and the PC's): columns, insertion, the tick
// pictures and their counts, and the rows as the transfers take them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "transfer/card_transfers.h"
#include "ui/win/gdi.h"
#include "ui/win/item_record.h"
#include "ui/win/list_view.h"

namespace kx {

inline constexpr int IMAGE_UNCHECKED = 10;
inline constexpr int IMAGE_CHECKED = 11;

inline bool IsDesignImage(int image) { return image == IMAGE_UNCHECKED || image == IMAGE_CHECKED; }

struct ListColumn {
    int width;
    const char* title;
};

// The one column ("FileName", 200 pixels) and the picture strip the card and PC design lists
// share; the list holds the image list, the caller owns it.
win::ImageList CreateDesignListImages(const win::ListView& list, HWND dialog, int id);

// Appends the columns, left-aligned, and returns the list's window.
HWND ListInsertColumns(HWND dialog, int controlId, const ListColumn* columns, int count);
// Inserts one item at `position` with its text, picture and record; the index it got, or -1
// (the record is freed then).
int ListInsertItem(const win::ListView& list, int image, std::unique_ptr<ItemRecord> record,
                   const std::string& text, int position);

int ListImage(const win::ListView& list, int index);  // -1 when there is no such item
ItemRecord* ListRecord(const win::ListView& list, int index);
std::string ListText(const win::ListView& list, int index);

// Every design item gets the ticked picture when `on`, the unticked one otherwise, drawn once at
// the end; the number of design items.
int ListSetAllChecks(const win::ListView& list, bool on);
// 1 when the item went from unticked to ticked, else 0; an item that is no design keeps its picture.
int ListToggleCheck(const win::ListView& list, int index);
// The same, keeping `ticked`, the number of the list's ticked designs, true: the lists keep their
// counts rather than count their items on every click.
int ListToggleCheck(const win::ListView& list, int index, int& ticked);

// The items in list order: text, record path, and whether it is a ticked design.
std::vector<ListRow> ListRows(const win::ListView& list);

// Replaces every item (the old records go with their items) by the given rows, in order, and
// scrolls item `keepVisible` (when not -1) wholly into view.
struct NewListItem {
    int image;
    std::unique_ptr<ItemRecord> record;
};
void ListReplaceItems(const win::ListView& list, std::vector<NewListItem> items, int keepVisible = -1);

// The item under a point in the list's client coordinates; `flags` receives the hit flags.
int ListHitTest(const win::ListView& list, LPARAM point, UINT* flags = nullptr);

}  // namespace kx
