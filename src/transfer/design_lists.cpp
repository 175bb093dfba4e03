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

// A name of more than four characters whose last four are ".kxd" in any case.
bool EndsInDesignExtension(std::string_view name) {
    constexpr std::string_view kExtension = ".kxd";
    if (name.size() <= kExtension.size()) return false;
    std::string_view tail = name.substr(name.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

// Sorts `rows` stably by `less`; `firstFound` (when given) receives where the row that came
// first went. Names are unique in one folder listing.
template <class Row, class Less>
void SortInListOrder(std::vector<Row>& rows, Less less, std::size_t* firstFound) {
    const std::string first = rows.empty() ? std::string() : rows.front().name;
    std::stable_sort(rows.begin(), rows.end(), less);
    if (!firstFound) return;
    auto found = std::find_if(rows.begin(), rows.end(), [&](const Row& row) { return row.name == first; });
    *firstFound = found == rows.end() ? 0 : static_cast<std::size_t>(found - rows.begin());
}

}  // namespace

int CompareListEntries(const ListSortKey& a, const ListSortKey& b, bool ascending) {
    if (a.isDesign != b.isDesign) return a.isDesign ? -1 : 1;
    int order = CompareBytes(a.text, b.text);
    return ascending ? order : -order;
}

std::vector<ListRow> ListDesignFiles(const std::string& folder, std::size_t* firstFound) {
    std::vector<ListRow> rows;
    for (const FoundFile& found : platform().find(folder + "*.kxd"))
        rows.push_back(ListRow{found.name, folder + found.name, false});
    SortInListOrder(rows, [](const ListRow& a, const ListRow& b) {
        return CompareListEntries({a.name, true}, {b.name, true}, true) < 0;
    }, firstFound);
    return rows;
}

std::vector<PcEntry> ListPcFolder(const std::string& folder, std::size_t maxPath, std::size_t* firstFound) {
    std::vector<PcEntry> entries;
    for (FoundFile& found : platform().find(folder + "*")) {
        const std::string& name = found.name;
        PcEntryKind kind;
        if (found.isDirectory && !found.isHidden && name != "." && name != "..") kind = PcEntryKind::Folder;
        else if (EndsInDesignExtension(name)) kind = PcEntryKind::Design;
        else continue;
        if (folder.size() + name.size() > maxPath) continue;
        entries.push_back({name, folder + name, kind});
    }
    SortInListOrder(entries, [](const PcEntry& a, const PcEntry& b) {
        return CompareListEntries({a.name, a.kind == PcEntryKind::Design}, {b.name, b.kind == PcEntryKind::Design},
                                  true) < 0;
    }, firstFound);
    return entries;
}

}  // namespace kx
