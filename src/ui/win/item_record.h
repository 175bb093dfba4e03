// The record behind every combo entry and tree node, and its owner: a record handed to a
// control's item data belongs to that item and is freed when the control deletes the item
// (TVN_DELETEITEM, WM_DELETEITEM), so deleting items is the only way to free records and none
// outlives its item. List-view items own none: their lists keep their rows themselves.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/paths.h"

namespace kx {

inline constexpr std::size_t kItemNameMax = kMaxPath;
inline constexpr std::size_t kItemPathMax = kMaxPath + 2;

struct ItemRecord {
    int image = -1;
    int selectedImage = -1;
    std::string name;  // at most kItemNameMax characters
    std::string path;  // at most kItemPathMax characters
};

// A record with the strings cut to their limits.
std::unique_ptr<ItemRecord> NewItemRecord(std::string name, std::string path, int image, int selectedImage);

// Ownership passes to the item that receives the returned item data.
LPARAM HandToItem(std::unique_ptr<ItemRecord> record);
// The record behind item data, or null (0 and CB_ERR alike).
ItemRecord* RecordOf(LPARAM data);
// Frees a record handed out by HandToItem; 0 and CB_ERR are accepted.
void FreeItemRecord(LPARAM data);

// Frees the record of an item being deleted when `message` (of a control's parent) says so:
// WM_DELETEITEM, or WM_NOTIFY with TVN_DELETEITEM. The dialog base calls it for every message.
void FreeRecordOfDeletedItem(UINT message, LPARAM lParam);

// Records handed to items and not yet freed, in this process.
std::size_t LiveItemRecords();

}  // namespace kx
