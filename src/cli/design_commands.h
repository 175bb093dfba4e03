// Commands on one design file as it is (no header normalisation first): info and convert.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::cli {

// The header fields, hoop, colours and what the stream holds, one item a line.
int InfoCommand(const std::string& hostFile);
// The card conversion of the design, written to `hostOut`.
int ConvertCommand(const std::string& hostFile, const std::string& hostOut);

// The file's bytes read through the core's platform, or nothing after a "kxcard:" line.
std::optional<std::vector<std::uint8_t>> ReadDesignArgument(const std::string& hostFile);

}  // namespace kx::cli
