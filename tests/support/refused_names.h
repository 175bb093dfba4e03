// Names refused for a design: those Windows takes for a device, and those the card cannot take.
// One home each, which the name check, both backends, both kinds of write and the tool run
// through, so that a case added here reaches every face.
#pragma once

#include <string>
#include <vector>

namespace kx::test {

// As a path of its own: bare, with a colon, as a device path. Each one the Wine rig opens without
// waiting (its COM1 is /dev/zero; NUL and CON end at once), should a face open it after all.
inline const std::vector<std::string> kDevicePaths{"COM1", "COM1:", "\\\\.\\COM1", "NUL", "CON"};

// As a design's file name in any folder: any case, a space before the extension.
inline const std::vector<std::string> kDeviceFileNames{"COM1.kxd", "com1 .KXD", "nul.kxd"};

// In a card folder of 9 characters (E:\EmbF5\): the name of the design's own thumbnail in any
// case, and a name whose path there would pass 259 characters, beside the longest that fits.
inline const std::vector<std::string> kOwnThumbnailNames{"ROSE.kxt", "rose.KXT"};
inline const std::string kNameTooLongForCard = std::string(247, 'n') + ".kxd";  // 9 + 251
inline const std::string kLongestNameForCard = std::string(246, 'f') + ".kxd";  // 9 + 250

}  // namespace kx::test
