// Micro-benchmarks of a full card: the layout check run before every card command, and what
// `kxcard list` does for a folder of 100 designs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "platform/posix/posix_platform.h"
#include "transfer/design_lists.h"

namespace {

namespace fs = std::filesystem;

// A card folder with 12 folders of 100 designs and their thumbnails, mapped as drive E:.
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
        platform_.mapDrive('E', root_.string(), kx::DriveType::Removable);
    }
    ~FullCard() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    FullCard(const FullCard&) = delete;
    FullCard& operator=(const FullCard&) = delete;

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

// The layout check, then the folder's designs in list order.
void BM_ListFolderFullCard(benchmark::State& state) {
    FullCard card;
    kx::ScopedPlatform scope(card.platform());
    kx::OrderFile order;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kx::CheckCardLayout(0, "E:\\", order));
        benchmark::DoNotOptimize(kx::ListDesignFiles("E:\\EmbF5\\"));
    }
}
BENCHMARK(BM_ListFolderFullCard)->Unit(benchmark::kMicrosecond);

}  // namespace
