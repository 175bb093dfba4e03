// Files the tool writes on the host: whole or not at all.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kx::cli {

// Writes the bytes to a temporary file beside `hostPath` and renames it over the target, so a
// failure never leaves a truncated file. False after a "kxcard:" line on stderr.
bool WriteOutputFile(const std::string& hostPath, std::span<const std::uint8_t> bytes);

}  // namespace kx::cli
