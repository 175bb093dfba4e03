// The design lists' order and the listing of a card folder's design files in that order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/card_transfers.h"

namespace kx {

// What the list order looks at in a row: its text, and whether it is a design row (a ticked or
// unticked design) rather than a folder or a drive.
struct ListSortKey {
    std::string_view text;
    bool isDesign = true;
};

// -1, 0 or 1. Design rows come before all others in either direction; rows of the same kind
// compare their texts byte by byte as unsigned characters, case-sensitive, a prefix first, and
// the direction applies only to that comparison.
int CompareListEntries(const ListSortKey& a, const ListSortKey& b, bool ascending);

// The files of `folder` (ending with a backslash) matching "*.kxd", unticked, in ascending list
// order: what the card design list shows after it is filled. `firstFound`, when given, receives
// the place in that order of the file the folder listing gave first (0 for an empty folder):
// the list keeps that one in view.
std::vector<ListRow> ListDesignFiles(const std::string& folder, std::size_t* firstFound = nullptr);

// A row of the PC list; the values are the kinds its records carry.
enum class PcEntryKind { Drive = 0, Folder = 1, Design = 2 };
struct PcEntry {
    std::string name;
    std::string path;  // folder + name; a folder's without a trailing backslash
    PcEntryKind kind;
};

// What the PC list shows of `folder` (ending with a backslash), in list order: files whose
// name is longer than ".kxd" and ends in it (any case) first, then the folders that are not
// hidden, "." and ".." left out, each group in byte order. An entry whose path would be longer
// than `maxPath` is left out rather than cut. `firstFound` as for ListDesignFiles, over the
// entries listed.
std::vector<PcEntry> ListPcFolder(const std::string& folder, std::size_t maxPath, std::size_t* firstFound = nullptr);

}  // namespace kx
