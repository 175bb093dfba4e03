// Reading and writing the design header block.
#include "design/design_header.h"

#include <algorithm>

namespace kx {

std::optional<DesignHeader> DesignHeader::parse(std::span<const std::uint8_t> file) {
    if (file.size() < kDesignHeaderSize) return std::nullopt;
    DesignHeader header;
    std::copy_n(file.begin(), kDesignHeaderSize, header.bytes_.begin());
    return header;
}

bool DesignHeader::storeInto(std::span<std::uint8_t> file) const {
    if (file.size() < kDesignHeaderSize) return false;
    std::copy(bytes_.begin(), bytes_.end(), file.begin());
    return true;
}

void DesignHeader::setPairMark(std::uint8_t letter, std::uint8_t companion) {
    bytes_[header_offset::kPairLetter] = letter;
    bytes_[header_offset::kPairCompanion] = companion;
}

}  // namespace kx
