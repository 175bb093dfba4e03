// The Win32 backend against real Windows file and drive services: open modes, sharing,
// search, folders, drives and process values.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "harness/ui_driver.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace kx {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A fresh folder on the rig's card drive, emptied again afterwards.
class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = wintest::CardRoot();
        if (root_.empty()) GTEST_SKIP() << "needs the Wine rig's card drive";
        folder_ = root_ + "plat" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(win_.createDirectory(folder_));
    }
    void TearDown() override {
        if (folder_.empty()) return;
        for (const FoundFile& f : platform().find(folder_ + "*"))
            if (!f.isDirectory) win_.deleteFile(folder_ + f.name);
        for (const FoundFile& f : platform().find(folder_ + "*"))
            if (f.isDirectory && f.name != "." && f.name != "..") RemoveDirectoryA((folder_ + f.name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    void Put(const std::string& name, const std::string& content) {
        auto file = win_.open(folder_ + name, OpenMode::Replace);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->writeExactly(Bytes(content)));
    }
    std::string Get(const std::string& name) {
        auto bytes = ReadWholeFile(folder_ + name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
    }

    Win32Platform win_;
    ScopedPlatform scope_{win_};
    std::string root_;
    std::string folder_;
};

TEST_F(Win32PlatformTest, OpenModesCreateTruncateOrKeep) {
    EXPECT_FALSE(win_.open(folder_ + "a.bin", OpenMode::Read));
    EXPECT_FALSE(win_.open(folder_ + "a.bin", OpenMode::WriteExisting));
    Put("a.bin", "0123456789");
    {
        auto file = win_.open(folder_ + "a.bin", OpenMode::WriteExisting);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->writeExactly(Bytes("AB")));
    }
    EXPECT_EQ(Get("a.bin"), "AB23456789");
    {
        auto file = win_.open(folder_ + "a.bin", OpenMode::WriteAlways);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->seek(0, SeekFrom::End));
        ASSERT_TRUE(file->writeExactly(Bytes("!")));
        EXPECT_EQ(file->size(), 11u);
    }
    EXPECT_EQ(Get("a.bin"), "AB23456789!");
    {
        auto file = win_.open(folder_ + "new.bin", OpenMode::ReadWriteAlways);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->writeExactly(Bytes("xyz")));
        ASSERT_TRUE(file->seek(1, SeekFrom::Begin));
        std::uint8_t two[2] = {};
        ASSERT_TRUE(file->readExactly(two));
        EXPECT_EQ(std::string(two, two + 2), "yz");
        std::uint8_t more[4] = {};
        EXPECT_EQ(file->read(more), 0u);  // at the end: a short read, not a failure
    }
    Put("a.bin", "short");
    EXPECT_EQ(Get("a.bin"), "short");
}

TEST_F(Win32PlatformTest, OpenFilesAreNotShared) {
    Put("held.bin", "data");
    auto held = win_.open(folder_ + "held.bin", OpenMode::Read);
    ASSERT_TRUE(held);
    EXPECT_FALSE(win_.open(folder_ + "held.bin", OpenMode::Read));
    EXPECT_FALSE(win_.open(folder_ + "held.bin", OpenMode::Replace));
    held.reset();
    EXPECT_TRUE(win_.open(folder_ + "held.bin", OpenMode::Read));
}

// Wine opens a volume, even one without media, but cannot flush it: only opens are checked.
TEST_F(Win32PlatformTest, VolumeOpensOnMappedLettersOnly) {
    EXPECT_TRUE(win_.open(std::string("\\\\.\\") + root_[0] + ":", OpenMode::Volume));
    char unmapped = 'Z';
    while (unmapped > 'C' && (win_.logicalDrives() & (1u << (unmapped - 'A')))) --unmapped;
    ASSERT_GT(unmapped, 'C');
    EXPECT_FALSE(win_.open(std::string("\\\\.\\") + unmapped + ":", OpenMode::Volume));
}

TEST_F(Win32PlatformTest, FindListsEntriesUpToTheLimit) {
    Put("ONE.kxd", "1");
    Put("two.KXD", "2");
    Put("three.kxt", "3");
    ASSERT_TRUE(win_.createDirectory(folder_ + "Sub"));
    std::vector<std::string> designs;
    for (const FoundFile& f : platform().find(folder_ + "*.kxd")) {
        EXPECT_FALSE(f.isDirectory) << f.name;
        designs.push_back(f.name);
    }
    std::sort(designs.begin(), designs.end());
    EXPECT_EQ(designs, (std::vector<std::string>{"ONE.kxd", "two.KXD"}));
    auto sub = platform().find(folder_ + "sub");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_TRUE(sub[0].isDirectory);
    EXPECT_EQ(sub[0].name, "Sub");
    EXPECT_EQ(platform().find(folder_ + "*", 2).size(), 2u);
    EXPECT_TRUE(platform().find(folder_ + "*", 0).empty());
    EXPECT_TRUE(platform().find(folder_ + "missing*").empty());
    EXPECT_TRUE(platform().find(std::string(folder_ + "*") + '\0' + "x").empty());
}

TEST_F(Win32PlatformTest, FoldersFilesCopiesAndRenames) {
    EXPECT_TRUE(win_.createDirectory(folder_ + "EmbF5"));
    EXPECT_TRUE(win_.createDirectory(folder_ + "EmbF5"));  // already there is no error
    Put("file", "x");
    EXPECT_FALSE(win_.createDirectory(folder_ + "file"));  // a file is in the way

    Put("src.kxd", "new");
    Put("dst.kxd", "old content");
    EXPECT_TRUE(win_.copyFile(folder_ + "src.kxd", folder_ + "dst.kxd"));
    EXPECT_EQ(Get("dst.kxd"), "new");
    EXPECT_FALSE(win_.copyFile(folder_ + "src.kxd", folder_ + "EmbF5"));  // onto a folder

    EXPECT_TRUE(win_.moveFile(folder_ + "EmbF5", folder_ + "EmbF6"));
    EXPECT_TRUE(PathExists(folder_ + "EmbF6"));
    EXPECT_FALSE(PathExists(folder_ + "EmbF5"));
    EXPECT_FALSE(win_.moveFile(folder_ + "src.kxd", folder_ + "dst.kxd"));  // never replaces

    EXPECT_TRUE(win_.deleteFile(folder_ + "src.kxd"));
    EXPECT_FALSE(win_.deleteFile(folder_ + "src.kxd"));
}

TEST_F(Win32PlatformTest, DriveTypesAndSizes) {
    EXPECT_EQ(win_.driveType(root_), DRIVE_TYPE_REMOVABLE);
    EXPECT_NE(win_.logicalDrives() & (1u << (root_[0] - 'A')), 0u);
    ASSERT_TRUE(win_.hasDiskFreeSpaceEx());
    std::uint64_t total = 0;
    EXPECT_TRUE(win_.diskFreeSpaceEx(root_, total));
    EXPECT_GT(total, 0u);
    DiskGeometry geometry;
    EXPECT_TRUE(win_.diskFreeSpace(root_, geometry));
    EXPECT_GT(geometry.totalClusters, 0u);

    std::string noMedia = wintest::NoMediaRoot();
    ASSERT_FALSE(noMedia.empty());
    EXPECT_EQ(win_.driveType(noMedia), DRIVE_TYPE_REMOVABLE);
    DiskGeometry none;
    EXPECT_FALSE(win_.diskFreeSpace(noMedia, none));
    EXPECT_EQ(none.totalClusters, 0u);
    EXPECT_TRUE(platform().find(noMedia + "*").empty());
}

TEST_F(Win32PlatformTest, ProcessValues) {
    std::string temp = win_.tempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(PathExists(temp.substr(0, temp.size() - 1)));

    std::string exe = win_.executablePath();
    EXPECT_EQ(exe.substr(0, exe.find_last_of('\\') + 1), wintest::ExecutableFolder());

    std::string previous = win_.currentDirectory();
    ASSERT_TRUE(win_.setCurrentDirectory(folder_));
    EXPECT_TRUE(lstrcmpiA(win_.currentDirectory().c_str(), folder_.c_str()) == 0) << win_.currentDirectory();
    EXPECT_FALSE(win_.setCurrentDirectory(folder_ + "missing\\"));
    EXPECT_FALSE(win_.setCurrentDirectory(""));
    EXPECT_TRUE(win_.setCurrentDirectory(previous));

    std::uint64_t time = win_.localFileTime();
    EXPECT_EQ(time % 10000, 0u);  // milliseconds at most
    EXPECT_GT(time, 133000000000000000ull);  // after 2022
}

}  // namespace
}  // namespace kx
