// Design list order and folder listing.
#include "transfer/design_lists.h"

#include <algorithm>

#include "platform/platform.h"

namespace kx {

namespace {

int CompareBytes(std::string_view a, std::string_view b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int CompareListEntries(const ListSortKey& a, const ListSortKey& b, bool ascending) {
    if (a.isDesign != b.isDesign) return a.isDesign ? -1 : 1;
    int order = CompareBytes(a.text, b.text);
    return ascending ? order : -order;
}

std::vector<ListRow> ListDesignFiles(const std::string& folder) {
    std::vector<ListRow> rows;
    for (const FoundFile& found : platform().find(folder + "*.kxd"))
        rows.push_back(ListRow{found.name, folder + found.name, false});
    std::stable_sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) {
        return CompareListEntries({a.name, true}, {b.name, true}, true) < 0;
    });
    return rows;
}

}  // namespace kx
