// The pair search of the PC list's "Select All Designs" and tick clicks: a counterpart for
// every row of a folder of N names, half of them tandem-hoop halves.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "transfer/pairing.h"

namespace {

// Names as a large PC folder holds them: pairs (D000001.kxd, D000002.kxd), lone halves and
// plain designs in equal parts.
std::vector<std::string> FolderNames(std::size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; names.size() < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "D%06zu%c.kxd", i / 2, i % 4 < 2 ? static_cast<char>('1' + i % 2) : 'x');
        names.emplace_back(name);
    }
    return names;
}

void BM_PairSearchEveryRow(benchmark::State& state) {
    const std::vector<std::string> names = FolderNames(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        kx::PairFinder finder(names);
        int found = 0;
        for (std::size_t i = 0; i < names.size(); ++i) found += finder.counterpart(i) >= 0;
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PairSearchEveryRow)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
