// The micro-benchmarks' designs: generated walks of a given record count, made once per size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "samples/sample_designs.h"

namespace kx::bench {

// A design of `records` records with a colour change every ~300 records, as a busy fill has.
inline const std::vector<std::uint8_t>& DesignOf(std::size_t records) {
    static std::map<std::size_t, std::vector<std::uint8_t>> cache;
    auto& design = cache[records];
    if (design.empty()) design = samples::GenerateDesign(records, records / 300 + 2, 7);
    return design;
}

}  // namespace kx::bench
