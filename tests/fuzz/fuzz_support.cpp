// The seed writer behind -kx_seed_dir=DIR, run before libFuzzer reads its own flags.
#include "fuzz_support.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kx::fuzz {

namespace {
std::vector<std::function<std::vector<Input>()>>& Makers() {
    static std::vector<std::function<std::vector<Input>()>> makers;
    return makers;
}

int WriteSeeds(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    int n = 0;
    for (const auto& make : Makers()) {
        for (const Input& input : make()) {
            std::ofstream out(dir / ("seed-" + std::to_string(n++)), std::ios::binary);
            out.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
            if (!out) return 1;
        }
    }
    return 0;
}
}  // namespace

Seeds::Seeds(std::function<std::vector<Input>()> make) { Makers().push_back(std::move(make)); }

}  // namespace kx::fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    constexpr std::string_view flag = "-kx_seed_dir=";
    for (int i = 1; i < *argc; ++i) {
        std::string_view arg = (*argv)[i];
        if (arg.substr(0, flag.size()) == flag) std::exit(kx::fuzz::WriteSeeds(std::string(arg.substr(flag.size()))));
    }
    return 0;
}
