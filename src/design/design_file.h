// The header of a design file on disk, read and rewritten through the platform, and a design
// file held in memory whose header changes go back to the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/design_header.h"

namespace kx {

// The first 116 bytes of the file, or nothing when it cannot be opened or is shorter.
std::optional<DesignHeader> ReadDesignHeader(const std::string& path);

// How a header written over the start of an existing file ended.
enum class HeaderWrite { NotOpened, Short, Whole };
HeaderWrite WriteHeaderOver(const std::string& path, const DesignHeader& header);

// Writes the header over the start of the existing file (no truncation), true only when all of
// it was written.
bool WriteDesignHeader(const std::string& path, const DesignHeader& header);

// A design file read whole, once, and kept as the file holds it. A header change is written
// over the file's start (never truncating it) and follows into memory once it reached the file
// whole; after a write that came up short only the file knows what it holds, so it is read
// again. Where the whole file cannot be read its header may still be: the header checks then
// run on that alone.
class DesignFileInMemory {
public:
    explicit DesignFileInMemory(std::string path);

    const std::string& path() const { return path_; }
    // The header as the file holds it; none when the file is unreadable or shorter.
    const std::optional<DesignHeader>& header() const { return header_; }
    // The whole file; none when it could not be read, `readFailure` saying why.
    const std::optional<std::vector<std::uint8_t>>& bytes() const { return bytes_; }
    const std::string& readFailure() const { return readFailure_; }

    // `header` over the file's start. False only when the file cannot be opened to write.
    bool rewriteHeader(const DesignHeader& header);

private:
    void read();

    std::string path_;
    std::optional<std::vector<std::uint8_t>> bytes_;
    std::optional<DesignHeader> header_;
    std::string readFailure_;
};

}  // namespace kx
