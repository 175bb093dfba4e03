// Pair counterparts by a table from name to first row.
#include "transfer/pairing.h"

#include "design/design_checks.h"
#include "design/design_file.h"
#include "platform/paths.h"

namespace kx {

std::optional<std::string> CounterpartBaseName(std::string_view path) {
    std::string base = SplitPath(path).base;
    if (base.empty() || (base.back() != '1' && base.back() != '2')) return std::nullopt;
    base.back() = base.back() == '1' ? '2' : '1';
    return base;
}

bool IsPairPartFile(const std::string& path) {
    if (!IsPairPartName(path)) return false;
    auto header = ReadDesignHeader(path);
    return header && header->hasPairMark();
}

PairFinder::PairFinder(const std::vector<std::string>& texts) {
    bases_.reserve(texts.size());
    for (const std::string& text : texts) bases_.push_back(SplitPath(text).base);
    firstByBase_.reserve(bases_.size());
    for (std::size_t i = 0; i < bases_.size(); ++i) firstByBase_.try_emplace(bases_[i], static_cast<int>(i));
}

int PairFinder::counterpart(std::size_t index) const {
    if (index >= bases_.size()) return -1;
    auto wanted = CounterpartBaseName(bases_[index]);
    if (!wanted) return -1;
    // The wanted name differs from the row's own in its last character, so it is never the row.
    auto found = firstByBase_.find(*wanted);
    return found == firstByBase_.end() ? -1 : found->second;
}

std::vector<std::size_t> UnpairedTickedHalves(const std::vector<ListRow>& rows, const PairFinder& finder,
                                              bool (*isPairPart)(const std::string&)) {
    std::vector<std::size_t> unpaired;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].ticked && isPairPart(rows[i].path) && finder.counterpart(i) < 0) unpaired.push_back(i);
    return unpaired;
}

}  // namespace kx
