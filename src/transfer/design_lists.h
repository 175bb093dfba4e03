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
// order: what the card design list shows after it is filled.
std::vector<ListRow> ListDesignFiles(const std::string& folder);

}  // namespace kx
