// Micro-benchmarks of the work one design or one card costs: conversion and the layout check.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "design/card_conversion.h"
#include "platform/posix/posix_platform.h"
#include "render/preview.h"
#include "render/thumbnail.h"
#include "samples/sample_designs.h"

namespace {

namespace fs = std::filesystem;

// Designs of the benchmark sizes, with a colour change every ~300 records.
const std::vector<std::uint8_t>& DesignOf(std::size_t records) {
    static std::map<std::size_t, std::vector<std::uint8_t>> cache;
    auto& d = cache[records];
    if (d.empty()) d = kx::samples::GenerateDesign(records, records / 300 + 2, 7);
    return d;
}

void BM_CardConversion(benchmark::State& state) {
    const auto& design = DesignOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto converted = kx::ConvertDesignForCard(design);
        benchmark::DoNotOptimize(converted.bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * design.size()));
}
BENCHMARK(BM_CardConversion)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

// A card folder with 12 folders of 100 designs each, mapped as drive E:.
class FullCard {
public:
    FullCard() : root_(fs::temp_directory_path() / ("kxbench-" + std::to_string(std::random_device{}()))) {
        for (auto name : kx::DesignFolderNames) {
            fs::create_directories(root_ / std::string(name));
            for (int i = 0; i < 100; ++i) {
                char stem[16];
                std::snprintf(stem, sizeof stem, "D%d", i);
                fs::path design = root_ / std::string(name) / stem;
                std::ofstream(design.replace_extension(".kxd")) << "x";
                std::ofstream(design.replace_extension(".kxt")) << "x";
            }
        }
        platform_.mapDrive('E', root_.string(), kx::DRIVE_TYPE_REMOVABLE);
    }
    ~FullCard() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    kx::PosixPlatform& platform() { return platform_; }

private:
    fs::path root_;
    kx::PosixPlatform platform_;
};

void BM_LayoutCheckFullCard(benchmark::State& state) {
    FullCard card;
    kx::ScopedPlatform scope(card.platform());
    kx::OrderFile order;
    for (auto _ : state) benchmark::DoNotOptimize(kx::CheckCardLayout(0, "E:\\", order));
}
BENCHMARK(BM_LayoutCheckFullCard)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

void BM_Thumbnail(benchmark::State& state) {
    const auto& design = DesignOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto record = kx::MakeThumbnailRecord(design);
        benchmark::DoNotOptimize(record->data());
    }
}
BENCHMARK(BM_Thumbnail)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

// The main dialog's pane canvas at 96 dpi: 92 × 128 pixels.
void BM_Preview(benchmark::State& state) {
    const auto& design = DesignOf(static_cast<std::size_t>(state.range(0)));
    kx::Raster canvas(92, 128, kx::Rgb(0xC0, 0xC0, 0xC0));
    for (auto _ : state) {
        auto drawn = kx::RenderPreviewPixels(design, canvas);
        benchmark::DoNotOptimize(drawn);
    }
}
BENCHMARK(BM_Preview)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMicrosecond);

}  // namespace
