// The backend switch and the helpers every module shares over it.
#include "platform/platform.h"

#include <algorithm>

#include "platform/paths.h"

namespace kx {

namespace {
Platform* g_platform = nullptr;
}

Platform& platform() { return g_platform ? *g_platform : nativePlatform(); }
void setPlatform(Platform* p) { g_platform = p; }

bool File::readExactly(std::span<std::uint8_t> into) {
    auto got = read(into);
    return got && *got == into.size();
}

bool File::writeExactly(std::span<const std::uint8_t> from) {
    auto put = write(from);
    return put && *put == from.size();
}

bool PathExists(const std::string& pattern) { return !platform().find(pattern, 1).empty(); }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    auto file = platform().open(path, OpenMode::Read);
    if (!file) return std::nullopt;
    auto size = file->size();
    // The system reads with the low 32 bits of the size; anything larger is no design.
    if (!size || *size > 0xFFFFFFFFull) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!file->readExactly(bytes)) return std::nullopt;
    return bytes;
}

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsCopySideFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "~kx", kSuffix = ".tmp", kEarlierMark = ".kxcopy-";
    constexpr std::size_t kPidDigits = 8;
    if (name.size() == kPrefix.size() + kPidDigits + kSuffix.size()) {
        std::string_view pid = name.substr(kPrefix.size(), kPidDigits);
        if (EqualsIgnoreCase(name.substr(0, kPrefix.size()), kPrefix) &&
            EqualsIgnoreCase(name.substr(name.size() - kSuffix.size()), kSuffix) &&
            std::all_of(pid.begin(), pid.end(), IsHexDigit))
            return true;
    }
    // "<name>.kxcopy-<digits>": the mark is the last dot's, after a name of at least one character.
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() <= dot + kEarlierMark.size()) return false;
    std::string_view digits = name.substr(dot + kEarlierMark.size());
    return EqualsIgnoreCase(name.substr(dot, kEarlierMark.size()), kEarlierMark) &&
           std::all_of(digits.begin(), digits.end(), IsDigit);
}

}  // namespace kx
