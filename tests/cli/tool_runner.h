// Runs the built kxcard as a shell script would (no terminal, a TMPDIR of its own) on a fresh
// temporary folder holding a card folder and a PC folder; decodes the PNGs it draws.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "samples/sample_designs.h"

namespace kx::test {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

// A whole file as text or as Bytes; empty when it cannot be read.
template <class Contents = std::string>
Contents Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Contents(std::istreambuf_iterator<char>(in), {});
}

inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline fs::path MakeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kxcli-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

struct ToolRun {
    int status = -1;  // -1 when the tool did not exit normally
    std::string out, err;
    bool operator==(const ToolRun&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const ToolRun& r) {
        return o << "exit " << r.status << "\nstdout: " << r.out << "\nstderr: " << r.err;
    }
};

class ToolTest : public ::testing::Test {
protected:
    ToolTest() { for (const fs::path& folder : {card, pc, root / "tmp"}) fs::create_directory(folder); }
    ~ToolTest() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // kxcard with these arguments in `cwd` (default: the PC folder), stdin from /dev/null.
    ToolRun run(const std::vector<std::string>& args, const fs::path& cwd = {}) const {
        std::string command = "exec </dev/null >" + Quote(root / "out") + " 2>" + Quote(root / "err") +
                              "; cd " + Quote(cwd.empty() ? pc : cwd) + " && TMPDIR=" + Quote(root / "tmp") +
                              " " + Quote(KXCARD_PATH);
        for (const std::string& a : args) command += " " + Quote(a);
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(root / "out"), Slurp(root / "err")};
    }
    ToolRun onCard(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--card", card.string()});
        return run(args);
    }

    fs::path put(const fs::path& path, const Bytes& bytes) const {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
        return path;
    }
    // The named sample design, written into the PC folder.
    std::string sample(const std::string& fileName) const {
        for (const samples::SampleDesign& s : samples::MakeSampleDesigns())
            if (s.fileName == fileName) return put(pc / fileName, s.bytes).string();
        throw std::invalid_argument("no sample " + fileName);
    }

    const fs::path root = MakeTempFolder(), card = root / "card", pc = root / "pc";
};

struct DecodedPng {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows from the top
    std::uint32_t pixel(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
    std::set<std::uint32_t> colours() const { return {pixels.begin(), pixels.end()}; }
};

// Nothing when the file is not a readable PNG (libpng frees the image on a failure).
inline std::optional<DecodedPng> DecodePng(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return std::nullopt;
    DecodedPng png{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t at = 0; at + 2 < rgb.size(); at += 3)
        png.pixels.push_back(std::uint32_t{rgb[at]} << 16 | std::uint32_t{rgb[at + 1]} << 8 | rgb[at + 2]);
    return png;
}

}  // namespace kx::test
