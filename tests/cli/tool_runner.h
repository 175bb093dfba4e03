// Runs the built kxcard as a person's shell would, without a terminal, on folders of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kx::test {

struct ToolRun {
    int status = -1;  // the exit status; -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// A fresh temporary folder holding a card folder, a PC folder and the tool's temporary folder,
// removed at the end.
class ToolSandbox {
public:
    ToolSandbox();
    ~ToolSandbox();
    ToolSandbox(const ToolSandbox&) = delete;
    ToolSandbox& operator=(const ToolSandbox&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path card() const { return root_ / "card"; }
    std::filesystem::path pc() const { return root_ / "pc"; }

    // kxcard with these arguments, stdin from /dev/null, in `workingDirectory` (default: the PC
    // folder), with TMPDIR pointing at the sandbox.
    ToolRun run(const std::vector<std::string>& args,
                const std::optional<std::filesystem::path>& workingDirectory = std::nullopt) const;
    // The same with "--card <card folder>" in front.
    ToolRun onCard(std::vector<std::string> args) const;

    // Writes a file (making its folder) and returns its path.
    std::filesystem::path put(const std::filesystem::path& path,
                              const std::vector<std::uint8_t>& bytes) const;
    // Writes the named sample design into the PC folder and returns its path.
    std::filesystem::path sample(const std::string& fileName) const;

private:
    std::filesystem::path root_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;            // rows from the top, 3 bytes a pixel
    std::uint32_t pixel(int x, int y) const;  // 0xRRGGBB
};

// Decodes with libpng; nothing when the file is not a readable PNG.
std::optional<DecodedPng> DecodePng(const std::filesystem::path& path);

}  // namespace kx::test
