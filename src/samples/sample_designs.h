// The sample designs of the demo and the tests, and designs of any size for benchmarks. All are
// made here from shapes and a seeded walk; no design comes from anywhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kx::samples {

struct SampleDesign {
    std::string fileName;  // "HEART.kxd"
    std::string about;     // one line for a person: what it shows and what the card makes of it
    std::vector<std::uint8_t> bytes;
};

// Shapes in several colours on hoops C, A(F) and B, a tandem-hoop pair (TANDEM1, TANDEM2),
// one design too big for every hoop and one over the card's record limit.
std::vector<SampleDesign> MakeSampleDesigns();

// A design of exactly `records` records (end record included) with `colourChanges` colour
// changes, satin walks in hoop A(F) and jumps between colours, the same for the same seed.
// Fewer than 3 records are raised to 3, and the colour changes are capped so that each colour
// keeps a few stitches.
std::vector<std::uint8_t> GenerateDesign(std::size_t records, std::size_t colourChanges, std::uint32_t seed);

}  // namespace kx::samples
