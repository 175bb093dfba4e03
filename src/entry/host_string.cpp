// The bounded copies across the host boundary.
#include "entry/host_string.h"

#include <cstring>

#include "platform/code_page.h"

namespace kx {

std::string Bounded(std::string_view from) {
    return std::string(CutAtCharacter(from.substr(0, from.find('\0')), kMaxPath - 1));
}

void WriteHostBuffer(char* to, std::string_view from) {
    const std::string kept = Bounded(from);
    std::memset(to, 0, kMaxPath);
    std::memcpy(to, kept.data(), kept.size());
}

std::string_view ReadHostString(const char* from) {
    if (!from) return {};
    return std::string_view(from, strnlen(from, kMaxPath - 1));
}

}  // namespace kx
