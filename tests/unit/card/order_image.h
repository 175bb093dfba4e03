// Order-file images for the card tests, built from the format's description rather than the code's tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

// A new order file: "VORLEXF1", 8 zero bytes, OrdF5..OrdF16 and EmbF5..EmbF16 in 12-byte entries.
inline std::vector<std::uint8_t> BlankOrderImage() {
    std::vector<std::uint8_t> image(304, 0);
    const std::string head = "VORLEXF1";
    std::copy(head.begin(), head.end(), image.begin());
    for (int i = 0; i < 12; ++i) {
        const std::string number = std::to_string(i + 5);
        const std::string order = "OrdF" + number, design = "EmbF" + number;
        std::copy(order.begin(), order.end(), image.begin() + 16 + 12 * i);
        std::copy(design.begin(), design.end(), image.begin() + 160 + 12 * i);
    }
    return image;
}

// Offset of byte `field` in entry `folder` of the folder table.
inline std::size_t FolderEntryByte(int folder, int field) { return 160 + 12 * folder + field; }

}  // namespace kx::test
