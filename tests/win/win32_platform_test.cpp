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

// A folder of each test's own on the rig's card drive (fresh for each program: nothing is removed).
class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = wintest::CardRoot();
        if (root_.empty()) GTEST_SKIP() << "needs the Wine rig's card drive";
        folder_ = root_ + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ASSERT_TRUE(win_.createDirectory(folder_));
    }
    std::unique_ptr<File> Open(const std::string& name, OpenMode mode) { return win_.open(folder_ + name, mode); }
    void Put(const std::string& name, const std::string& content, OpenMode mode = OpenMode::Replace) {
        auto file = Open(name, mode);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->writeExactly({reinterpret_cast<const std::uint8_t*>(content.data()), content.size()}));
    }
    std::string Get(const std::string& name) {
        auto bytes = ReadWholeFile(folder_ + name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
    }

    Win32Platform win_;
    ScopedPlatform scope_{win_};
    std::string root_, folder_;
};

TEST_F(Win32PlatformTest, OpenModesCreateTruncateOrKeepAndNeverShare) {
    EXPECT_FALSE(Open("a.bin", OpenMode::Read));
    EXPECT_FALSE(Open("a.bin", OpenMode::WriteExisting));
    Put("a.bin", "0123456789");
    Put("a.bin", "AB", OpenMode::WriteExisting);
    EXPECT_EQ(Get("a.bin"), "AB23456789");
    Put("a.bin", "!", OpenMode::WriteAlways);
    EXPECT_EQ(Get("a.bin"), "!B23456789");
    Put("a.bin", "short");
    EXPECT_EQ(Get("a.bin"), "short");
    Put("w.bin", "w", OpenMode::WriteAlways);
    EXPECT_EQ(Get("w.bin"), "w");
    auto file = Open("rw.bin", OpenMode::ReadWriteAlways);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->writeExactly({reinterpret_cast<const std::uint8_t*>("xyz"), 3}));
    ASSERT_TRUE(file->seek(1, SeekFrom::Begin));
    std::uint8_t read[4] = {};
    EXPECT_EQ(file->read(read), 2u);  // a short read at the end, not a failure
    EXPECT_EQ(std::string(read, read + 2), "yz");
    ASSERT_TRUE(file->seek(-1, SeekFrom::End));
    EXPECT_EQ(file->read(read), 1u);
    file.reset();
    // Held open for reading, a file opens no second time, for reading or writing.
    auto held = Open("rw.bin", OpenMode::Read);
    ASSERT_TRUE(held);
    EXPECT_FALSE(Open("rw.bin", OpenMode::Read));
    EXPECT_FALSE(Open("rw.bin", OpenMode::Replace));
    held.reset();
    EXPECT_TRUE(Open("rw.bin", OpenMode::Read));
}

TEST_F(Win32PlatformTest, FindIgnoresCaseAndKeepsToTheLimit) {
    for (const char* name : {"ONE.kxd", "two.KXD", "three.kxt"}) Put(name, "x");
    ASSERT_TRUE(win_.createDirectory(folder_ + "Sub"));
    std::vector<std::string> designs;
    for (const FoundFile& f : platform().find(folder_ + "*.kxd"))
        designs.push_back(f.name + (f.isDirectory ? "\\" : ""));
    std::sort(designs.begin(), designs.end());
    EXPECT_EQ(designs, (std::vector<std::string>{"ONE.kxd", "two.KXD"}));
    auto sub = platform().find(folder_ + "sub");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_TRUE(sub[0].isDirectory && sub[0].name == "Sub") << sub[0].name;
    EXPECT_EQ(platform().find(folder_ + "*", 2).size(), 2u);
    EXPECT_TRUE(platform().find(folder_ + "*", 0).empty());
    EXPECT_TRUE(platform().find(folder_ + "missing*").empty());
    EXPECT_TRUE(platform().find(folder_ + "*" + '\0' + "x").empty());
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
    ASSERT_TRUE(WriteWholeFile(folder_ + "dst.kxd", std::vector<std::uint8_t>{'w', 'h', 'o', 'l', 'e'}));
    EXPECT_EQ(Get("dst.kxd"), "whole");
    EXPECT_TRUE(platform().find(folder_ + "~kx*").empty());  // the side file became dst.kxd
    EXPECT_TRUE(win_.deleteFile(folder_ + "src.kxd"));
    EXPECT_FALSE(win_.deleteFile(folder_ + "src.kxd"));
    std::string why = win_.lastError();  // the system's words for one line, such as "File not found"
    EXPECT_TRUE(!why.empty() && why.back() != '\n' && why.back() != '.') << why;
}

// Wine opens a volume, even one without media, but cannot flush it: only opens are checked.
TEST_F(Win32PlatformTest, RemovableCardAndNoMediaDrives) {
    for (const auto& [root, media] : {std::pair{root_, true}, std::pair{wintest::NoMediaRoot(), false}}) {
        SCOPED_TRACE(root);
        ASSERT_FALSE(root.empty());
        EXPECT_EQ(win_.driveType(root), DRIVE_TYPE_REMOVABLE);
        EXPECT_NE(win_.logicalDrives() & (1u << (root[0] - 'A')), 0u);
        EXPECT_TRUE(win_.open("\\\\.\\" + root.substr(0, 2), OpenMode::Volume));
        std::uint64_t total = 0;
        DiskGeometry geometry;
        EXPECT_EQ(win_.diskFreeSpaceEx(root, total) && total > 0, media);
        EXPECT_EQ(win_.diskFreeSpace(root, geometry), media);
        EXPECT_EQ(geometry.totalClusters > 0, media);
        EXPECT_EQ(platform().find(root + "*").empty(), !media);
    }
    char unmapped = 'Z';
    while (unmapped > 'C' && (win_.logicalDrives() & (1u << (unmapped - 'A')))) --unmapped;
    ASSERT_GT(unmapped, 'C');
    EXPECT_FALSE(win_.open(std::string("\\\\.\\") + unmapped + ":", OpenMode::Volume));
}

TEST_F(Win32PlatformTest, ProcessValues) {
    const std::string temp = win_.tempPath(), exe = win_.executablePath(), previous = win_.currentDirectory();
    EXPECT_TRUE(!temp.empty() && temp.back() == '\\' && PathExists(temp.substr(0, temp.size() - 1))) << temp;
    EXPECT_EQ(exe.substr(0, exe.find_last_of('\\') + 1), wintest::ExecutableFolder());
    ASSERT_TRUE(win_.setCurrentDirectory(folder_));
    EXPECT_TRUE(lstrcmpiA(win_.currentDirectory().c_str(), folder_.c_str()) == 0) << win_.currentDirectory();
    EXPECT_FALSE(win_.setCurrentDirectory(folder_ + "missing\\"));
    EXPECT_FALSE(win_.setCurrentDirectory(""));
    EXPECT_TRUE(win_.setCurrentDirectory(previous));
}

}  // namespace
}  // namespace kx
