// Commands on one design file as it is (no header normalisation first): convert, and the
// reading every such command starts with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::cli {

// The card conversion of the design, written to `hostOut`.
int ConvertCommand(const std::string& hostFile, const std::string& hostOut);

// The file's bytes read through the core's platform, or nothing after a "kxcard:" line.
std::optional<std::vector<std::uint8_t>> ReadDesignArgument(const std::string& hostFile);

}  // namespace kx::cli
