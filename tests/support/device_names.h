// Names Windows takes for a device: the one list that the name check, both backends and both
// kinds of write run through, so that a form added here reaches every face.
#pragma once

#include <string>
#include <vector>

namespace kx::test {

// As a path of its own: bare, with a colon, as a device path. Each one the Wine rig opens without
// waiting (its COM1 is /dev/zero; NUL and CON end at once), should a face open it after all.
inline const std::vector<std::string> kDevicePaths{"COM1", "COM1:", "\\\\.\\COM1", "NUL", "CON"};

// As a design's file name in any folder: any case, a space before the extension.
inline const std::vector<std::string> kDeviceFileNames{"COM1.kxd", "com1 .KXD", "nul.kxd"};

}  // namespace kx::test
