// The time-based name a design gets on the card when nobody named it.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// Upper-case base-36 digits, most significant first, no leading zeros ("0" for zero).
std::string FormatBase36(std::uint64_t value);

// The local time as a file time (100 ns since 1601) in base 36, followed by ".kxd".
std::string MakeDefaultDesignName();

}  // namespace kx
