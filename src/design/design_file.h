// The header of a design file on disk, read and rewritten through the platform.
#pragma once

#include <optional>
#include <string>

#include "design/design_header.h"

namespace kx {

// The first 116 bytes of the file, or nothing when it cannot be opened or is shorter.
std::optional<DesignHeader> ReadDesignHeader(const std::string& path);

// Writes the header over the start of the existing file (no truncation). False only when the
// file cannot be opened for writing: the checks that use it treat a failed write as done.
bool RewriteDesignHeader(const std::string& path, const DesignHeader& header);
// The same, true only when all of the header was written.
bool WriteDesignHeader(const std::string& path, const DesignHeader& header);

}  // namespace kx
