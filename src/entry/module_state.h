// The process-wide values the exports record for the dialogs and hand back to the host.
#pragma once

#include <kxcard.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "card/order_file.h"
#include "platform/paths.h"

namespace kx {

// Every string buffer shared with the host is a path buffer, of the size the public header gives.
using HostString = std::array<char, kMaxPath>;
static_assert(kMaxPath == KXCARD_PATH_SIZE);

// Zero or empty at load; each export overwrites only the fields it sets.
struct ModuleState {
    HINSTANCE ModuleInstance = nullptr;
    HostString WorkFolder{};
    HostString DesignName{};
    std::uint8_t* HostDesign = nullptr;  // the host's bytes, changed in place by the write
    std::uint32_t HostDesignSize = 0;
    HostString FileListPath{};
    int WriteMode = 0;  // 1: the host's design in memory; 0: designs from a list file
    kx::OrderFile OrderFile;
};

ModuleState& moduleState();

// Clears all of `to`, then copies at most 259 characters of `from` (null reads as empty).
void SetHostString(HostString& to, std::string_view from);
// The same over a host's buffer of kMaxPath bytes.
void WriteHostBuffer(char* to, std::string_view from);
// A host string up to its NUL, read no further than kMaxPath - 1 bytes.
std::string_view ReadHostString(const char* from);
std::string_view View(const HostString& s);

}  // namespace kx
