// Micro-benchmark of the card conversion, the CPU work of each design a write sends.
#include <benchmark/benchmark.h>

#include "bench_designs.h"
#include "design/card_conversion.h"

namespace {

void BM_CardConversion(benchmark::State& state) {
    const auto& design = kx::bench::DesignOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto converted = kx::ConvertDesignForCard(design);
        benchmark::DoNotOptimize(converted.bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * design.size()));
}
BENCHMARK(BM_CardConversion)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

}  // namespace
