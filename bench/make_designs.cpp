// Writes the end-to-end benchmark's designs, and beside them the thumbnail records the card gets.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "render/thumbnail.h"
#include "samples/sample_designs.h"

namespace {

constexpr std::size_t kFewestRecords = 1000;
constexpr std::size_t kMostRecords = 65535;

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Design i of n: record counts spread evenly from the fewest to the most, or, given a list of
// counts, the list's counts in turn; a colour change every ~300 records, as in the
// micro-benchmarks.
std::vector<std::uint8_t> DesignNumber(std::size_t i, std::size_t n, const std::vector<std::size_t>& sizes) {
    std::size_t records = sizes.empty() ? kFewestRecords + (kMostRecords - kFewestRecords) * i / (n > 1 ? n - 1 : 1)
                                        : sizes[i % sizes.size()];
    return kx::samples::GenerateDesign(records, records / 300 + 2, static_cast<std::uint32_t>(i + 1));
}

// "1000,5000,20000": record counts of 1 to 65 535 each, or nothing when the text is not such a list.
std::optional<std::vector<std::size_t>> ParseSizes(const char* text) {
    std::vector<std::size_t> sizes;
    for (const char* at = text;;) {
        char* end = nullptr;
        long records = std::strtol(at, &end, 10);
        if (end == at || records < 1 || records > static_cast<long>(kMostRecords)) return std::nullopt;
        sizes.push_back(static_cast<std::size_t>(records));
        if (*end == '\0') return sizes;
        if (*end != ',') return std::nullopt;
        at = end + 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s COUNT DESIGN_DIR THUMBNAIL_DIR [RECORDS,RECORDS,...]\n", argv[0]);
        return 64;
    }
    auto sizes = argc == 5 ? ParseSizes(argv[4]) : std::vector<std::size_t>{};
    if (!sizes) {
        std::fprintf(stderr, "RECORDS must be counts of 1 to %zu, separated by commas\n", kMostRecords);
        return 64;
    }
    const long count = std::strtol(argv[1], nullptr, 10);
    if (count < 1 || count > 1000) {
        std::fprintf(stderr, "COUNT must be 1 to 1000\n");
        return 64;
    }
    const std::string designs = argv[2], thumbnails = argv[3];
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        char stem[16];
        std::snprintf(stem, sizeof stem, "D%03zu", i);
        auto design = DesignNumber(i, static_cast<std::size_t>(count), *sizes);
        auto record = kx::MakeThumbnailRecord(design);
        if (!record || !WriteFile(designs + "/" + stem + ".kxd", design) ||
            !WriteFile(thumbnails + "/" + stem + ".kxt", *record)) {
            std::fprintf(stderr, "cannot make %s\n", stem);
            return 1;
        }
    }
    return 0;
}
