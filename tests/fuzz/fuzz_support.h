// What every fuzz target shares: seed inputs made by code, and a check that stops on a broken rule.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace kx::fuzz {

using Input = std::vector<std::uint8_t>;

// Registers a target's seeds: `static kx::fuzz::Seeds seeds([] { return std::vector<Input>{...}; });`
// Run with -kx_seed_dir=DIR, a target writes them there as files and exits (scripts/fuzz.sh does).
class Seeds {
public:
    explicit Seeds(std::function<std::vector<Input>()> make);
};

// A broken invariant is a finding: report it and abort so libFuzzer keeps the input.
#define KX_FUZZ_CHECK(condition)                                                           \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

}  // namespace kx::fuzz
