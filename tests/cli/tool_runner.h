// Runs the built kxcard from sh scripts as a user's script would (no terminal, a TMPDIR of its own)
// in a fresh temporary folder holding card/, pc/ (every sample design) and tmp/; decodes its PNGs.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "samples/sample_designs.h"
#include "support/test_drives.h"

namespace kx::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The whole file as text or as Bytes; empty when it cannot be read.
template <class Contents = std::string>
Contents Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Contents(std::istreambuf_iterator<char>(in), {});
}

struct ToolRun {
    int status = 0;  // -1 when sh did not exit normally
    std::string out, err;
    bool operator==(const ToolRun&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const ToolRun& r) {
        return o << "exit " << r.status << "\nstdout: " << r.out << "\nstderr: " << r.err;
    }
};
using Step = std::pair<std::string, ToolRun>;  // a script and what it must give

class ToolTest : public ::testing::Test {
protected:
    ToolTest() {
        fs::create_directories(card);
        fs::create_directory(root / "tmp");
        for (const samples::SampleDesign& s : samples::MakeSampleDesigns()) put("pc/" + s.fileName, s.bytes);
    }
    ~ToolTest() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // `script` run by sh in the temporary folder ($ROOT; LC_ALL=C, stdin from /dev/null); there
    // `kxcard` is the tool and `card ARGS` is `kxcard --card "$ROOT/card" ARGS`.
    ToolRun sh(const std::string& script) const {
        std::ofstream(root / "script") << "export LC_ALL=C ROOT=\"$PWD\"\n"
                                       << "kxcard() { TMPDIR=\"$ROOT/tmp\" '" KXCARD_PATH "' \"$@\"; }\n"
                                       << "card() { kxcard --card \"$ROOT/card\" \"$@\"; }\n" << script << "\n";
        int status = std::system(("cd '" + root.string() + "' && exec sh script </dev/null >out 2>err").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(root / "out"), Slurp(root / "err")};
    }
    void walk(const std::vector<Step>& steps) const {
        for (const auto& [script, expected] : steps) EXPECT_EQ(sh(script), expected) << script;
    }
    void put(const std::string& path, const Bytes& bytes) const {
        fs::create_directories((root / path).parent_path());
        std::ofstream(root / path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
    }

    const fs::path root = MakeTempFolder("kxcli");
    const fs::path card = root / "card", pc = root / "pc";
};

struct Png {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows from the top
    std::uint32_t pixel(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};

// An empty picture when the file is not a readable PNG (libpng frees the image on a failure).
inline Png DecodePng(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    Png png{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t at = 0; at + 2 < rgb.size(); at += 3)
        png.pixels.push_back(std::uint32_t{rgb[at]} << 16 | std::uint32_t{rgb[at + 1]} << 8 | rgb[at + 2]);
    return png;
}

}  // namespace kx::test
