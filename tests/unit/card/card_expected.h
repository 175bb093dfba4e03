// What the card module writes and asks, from the format's description rather than the code's tables.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

// A new order file: "VORLEXF1", 8 zeros, then OrdF5..OrdF16 and EmbF5..EmbF16 12 bytes apart.
inline std::vector<std::uint8_t> BlankOrderImage() {
    std::vector<std::uint8_t> image(304, 0);
    std::copy_n("VORLEXF1", 8, image.begin());
    for (int i = 0; i < 12; ++i) {
        const std::string order = "OrdF" + std::to_string(i + 5), design = "EmbF" + std::to_string(i + 5);
        std::copy(order.begin(), order.end(), image.begin() + 16 + 12 * i);
        std::copy(design.begin(), design.end(), image.begin() + 160 + 12 * i);
    }
    return image;
}

// Offset of byte `field` in entry `folder` of the folder table.
inline std::size_t FolderEntryByte(int folder, int field) { return 160 + 12 * folder + field; }

inline const std::string kMigrationText =
    "A folder name from a previous version has been detected in the card.\n"
    "Do you want to change the folder name for version 3.0?\n"
    "If you wish to use this card on the Version 3.0, click the [Yes] button.\n"
    "If you click the [No] button, the card cannot be used with this software.\n\n"
    "Note: If you wish to use this card on the Version 2.20, click the [No] button.";

}  // namespace kx::test
