// Micro-benchmarks of the drawing: the thumbnail record each write makes, and the preview
// drawn as the user clicks through designs.
#include <benchmark/benchmark.h>

#include "bench_designs.h"
#include "render/preview.h"
#include "render/thumbnail.h"

namespace {

void BM_Thumbnail(benchmark::State& state) {
    const auto& design = kx::bench::DesignOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto record = kx::MakeThumbnailRecord(design);
        benchmark::DoNotOptimize(record->data());
    }
}
BENCHMARK(BM_Thumbnail)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

// The main dialog's pane canvas at 96 dpi: 92 × 128 pixels.
void BM_Preview(benchmark::State& state) {
    const auto& design = kx::bench::DesignOf(static_cast<std::size_t>(state.range(0)));
    kx::Raster canvas(92, 128, kx::kLightGray);
    for (auto _ : state) {
        auto drawn = kx::RenderPreviewPixels(design, canvas);
        benchmark::DoNotOptimize(drawn);
    }
}
BENCHMARK(BM_Preview)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

}  // namespace
