// Header reads and write-backs on design files.
#include "design/design_file.h"

#include <array>

#include "platform/platform.h"

namespace kx {

std::optional<DesignHeader> ReadDesignHeader(const std::string& path) {
    auto file = platform().open(path, OpenMode::Read);
    if (!file) return std::nullopt;
    std::array<std::uint8_t, kDesignHeaderSize> bytes{};
    if (!file->readExactly(bytes)) return std::nullopt;
    return DesignHeader::parse(bytes);
}

namespace {

enum class HeaderWrite { NotOpened, Short, Whole };

HeaderWrite WriteHeader(const std::string& path, const DesignHeader& header) {
    auto file = platform().open(path, OpenMode::WriteExisting);
    if (!file) return HeaderWrite::NotOpened;
    return file->writeExactly(header.bytes()) ? HeaderWrite::Whole : HeaderWrite::Short;
}

}  // namespace

bool RewriteDesignHeader(const std::string& path, const DesignHeader& header) {
    return WriteHeader(path, header) != HeaderWrite::NotOpened;
}

bool WriteDesignHeader(const std::string& path, const DesignHeader& header) {
    return WriteHeader(path, header) == HeaderWrite::Whole;
}

}  // namespace kx
