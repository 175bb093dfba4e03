// The bounded copies across the host boundary.
#include "entry/host_string.h"

#include <algorithm>
#include <cstring>

namespace kx {

void WriteHostBuffer(char* to, std::string_view from) {
    std::memset(to, 0, kMaxPath);
    std::size_t n = std::min(from.size(), kMaxPath - 1);
    std::memcpy(to, from.data(), n);
}

std::string_view ReadHostString(const char* from) {
    if (!from) return {};
    return std::string_view(from, strnlen(from, kMaxPath - 1));
}

std::string Bounded(std::string_view from) {
    from = from.substr(0, kMaxPath - 1);
    return std::string(from.substr(0, from.find('\0')));
}

}  // namespace kx
