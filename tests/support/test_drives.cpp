// Temporary drives for tests.
#include "support/test_drives.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kx::test {

namespace fs = std::filesystem;

fs::path MakeTempFolder(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make " + pattern);
    return pattern;
}

TestDrives::TestDrives() : root_(MakeTempFolder("kxtest")), scope_(platform_) {
    fs::create_directories(root_ / "temp");
    platform_.mapDrive('T', (root_ / "temp").string(), DriveType::Fixed);
    platform_.setTempFolder((root_ / "temp").string());
}

TestDrives::~TestDrives() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string TestDrives::addDrive(char letter, const char* kind, DriveType type) {
    fs::path folder = root_ / (kind + std::string(1, letter));
    fs::create_directories(folder);
    platform_.mapDrive(letter, folder.string(), type);
    return std::string(1, letter) + ":\\";
}

void TestDrives::addNoMedia(char letter, DriveType type) {
    platform_.mapDrive(letter, (root_ / (std::string("nomedia-") + letter)).string(), type);
}

fs::path TestDrives::host(const std::string& windowsPath) const {
    auto h = platform_.toHostPath(windowsPath);
    EXPECT_TRUE(h.has_value()) << windowsPath;
    return h.value_or(std::string());
}

void TestDrives::write(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(host(windowsPath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << windowsPath;
}

std::vector<std::uint8_t> TestDrives::read(const std::string& windowsPath) const {
    std::ifstream in(host(windowsPath), std::ios::binary);
    EXPECT_TRUE(in.good()) << windowsPath;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TestDrives::exists(const std::string& windowsPath) const {
    auto h = platform_.toHostPath(windowsPath);
    return h && fs::exists(*h);
}

void TestDrives::makeDir(const std::string& windowsPath) const { fs::create_directories(host(windowsPath)); }

}  // namespace kx::test
