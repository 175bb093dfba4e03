// Header reads and write-backs on design files.
#include "design/design_file.h"

#include <array>
#include <utility>

#include "platform/platform.h"

namespace kx {

std::optional<DesignHeader> ReadDesignHeader(const std::string& path) {
    auto file = platform().open(path, OpenMode::Read);
    if (!file) return std::nullopt;
    std::array<std::uint8_t, kDesignHeaderSize> bytes{};
    if (!file->readExactly(bytes)) return std::nullopt;
    return DesignHeader::parse(bytes);
}

HeaderWrite WriteHeaderOver(const std::string& path, const DesignHeader& header) {
    auto file = platform().open(path, OpenMode::WriteExisting);
    if (!file) return HeaderWrite::NotOpened;
    return file->writeExactly(header.bytes()) ? HeaderWrite::Whole : HeaderWrite::Short;
}

bool WriteDesignHeader(const std::string& path, const DesignHeader& header) {
    return WriteHeaderOver(path, header) == HeaderWrite::Whole;
}

DesignFileInMemory::DesignFileInMemory(std::string path) : path_(std::move(path)) { read(); }

void DesignFileInMemory::read() {
    bytes_ = ReadWholeFile(path_);
    if (bytes_) {
        readFailure_.clear();
        header_ = DesignHeader::parse(*bytes_);
    } else {
        readFailure_ = platform().lastError();
        header_ = ReadDesignHeader(path_);
    }
}

bool DesignFileInMemory::rewriteHeader(const DesignHeader& header) {
    switch (WriteHeaderOver(path_, header)) {
        case HeaderWrite::NotOpened: return false;
        case HeaderWrite::Short: read(); return true;
        case HeaderWrite::Whole: break;
    }
    header_ = header;
    if (bytes_) header.storeInto(*bytes_);
    return true;
}

}  // namespace kx
