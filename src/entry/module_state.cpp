// The single ModuleState and the bounded copies across the host boundary.
#include "entry/module_state.h"

#include <algorithm>
#include <cstring>

namespace kx {

ModuleState& moduleState() {
    static ModuleState state;
    return state;
}

void WriteHostBuffer(char* to, std::string_view from) {
    std::memset(to, 0, kMaxPath);
    std::size_t n = std::min(from.size(), kMaxPath - 1);
    std::memcpy(to, from.data(), n);
}

void SetHostString(HostString& to, std::string_view from) { WriteHostBuffer(to.data(), from); }

std::string_view ReadHostString(const char* from) {
    if (!from) return {};
    return std::string_view(from, strnlen(from, kMaxPath - 1));
}

std::string_view View(const HostString& s) { return std::string_view(s.data(), strnlen(s.data(), s.size())); }

}  // namespace kx
