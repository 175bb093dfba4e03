// Tandem-hoop pairs in a design list: which row is a half's counterpart, and which ticked
// halves have none. A lookup table makes both linear in the list's length.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "transfer/card_transfers.h"

namespace kx {

// The name (without folder and extension) that the other half of `path` carries: the last
// character swapped between 1 and 2. Nothing when the name is empty or ends in neither.
std::optional<std::string> CounterpartBaseName(std::string_view path);

// True when the file's header can be read whole, its pair mark is an upper-case letter and
// its name ends in 1 or 2.
bool IsPairPartFile(const std::string& path);

// Counterparts among the texts of a list, in the list's order.
class PairFinder {
public:
    PairFinder() = default;
    explicit PairFinder(const std::vector<std::string>& texts);

    // The first row whose name without extension equals row `index`'s counterpart name, byte
    // for byte; -1 when there is none or `index` is out of range.
    int counterpart(std::size_t index) const;

private:
    std::vector<std::string> bases_;
    std::unordered_map<std::string_view, int> firstByBase_;
};

// The ticked rows that are pair halves by their files and whose counterpart is missing.
std::vector<std::size_t> UnpairedTickedHalves(const std::vector<ListRow>& rows, const PairFinder& finder,
                                              bool (*isPairPart)(const std::string&) = IsPairPartFile);

}  // namespace kx
