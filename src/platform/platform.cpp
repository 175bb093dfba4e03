// The backend switch and the helpers every module shares over it.
#include "platform/platform.h"

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

}  // namespace kx
