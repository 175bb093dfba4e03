// Bounded copies across the host boundary: every string buffer shared with the host is a path
// buffer, of the size the public header gives.
#pragma once

#include <kxcard.h>

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace kx {

static_assert(kMaxPath == KXCARD_PATH_SIZE);

// Clears all kMaxPath bytes of the host's buffer `to`, then copies Bounded(from) into it.
void WriteHostBuffer(char* to, std::string_view from);
// A host string up to its NUL, read no further than kMaxPath - 1 bytes (null reads as empty).
std::string_view ReadHostString(const char* from);
// `from` as a host buffer keeps it: up to a NUL, its first 259 bytes, never half a character.
std::string Bounded(std::string_view from);

}  // namespace kx
