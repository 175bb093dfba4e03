// The Win32 backend's edges against real Windows file services: open modes, sharing, flushes,
// search, folders, copies and renames. The dialog scenarios use the rest (drives, process values).
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "harness/harness.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "support/refused_names.h"

namespace kx {
namespace {

// A folder of each test's own on the rig's card drive (fresh for each program: nothing is removed).
class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (wintest::CardRoot().empty()) GTEST_SKIP() << "needs the Wine rig's card drive";
        folder_ = wintest::CardRoot() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ASSERT_TRUE(win_.createDirectory(folder_));
    }
    std::unique_ptr<File> Open(const std::string& name, OpenMode mode) { return win_.open(folder_ + name, mode); }
    void Put(const std::string& name, const std::string& content, OpenMode mode = OpenMode::Replace) {
        auto file = Open(name, mode);
        ASSERT_TRUE(file && file->writeExactly({reinterpret_cast<const std::uint8_t*>(content.data()), content.size()}));
    }
    std::string Get(const std::string& name) {
        auto bytes = ReadWholeFile(folder_ + name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
    }

    Win32Platform win_;
    ScopedPlatform scope_{win_};
    std::string folder_;
};

// A side file is made new and renamed over its target through its own handle, replacing it;
// one a write of this process left behind is replaced rather than in the way.
TEST_F(Win32PlatformTest, SideFilesAreMadeNewAndRenamedThroughTheirHandle) {
    Put("old.kxd", "old and longer");
    EXPECT_FALSE(Open("OLD.kxd", OpenMode::CreateNew));
    auto side = Open("new.tmp", OpenMode::CreateNew);
    ASSERT_TRUE(side && side->writeExactly({reinterpret_cast<const std::uint8_t*>("new"), 3}));
    ASSERT_TRUE(side->renameTo(folder_ + "old.kxd")) << win_.lastError();
    side.reset();
    EXPECT_EQ(Get("old.kxd"), "new");
    EXPECT_EQ(Get("new.tmp"), "<none>");
    Put(CopySideFileName(), "left by an interrupted write");
    const std::string whole = "whole";
    ASSERT_TRUE(WriteWholeFile(folder_ + "old.kxd", {reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size()}));
    EXPECT_EQ(Get("old.kxd"), "whole");
    EXPECT_FALSE(PathExists(folder_ + "~kx*"));
}

TEST_F(Win32PlatformTest, OpenModesCreateTruncateOrKeepAndNeverShare) {
    EXPECT_FALSE(Open("a.bin", OpenMode::Read) || Open("a.bin", OpenMode::WriteExisting));
    for (auto [name, content, mode, after] : {std::tuple{"a.bin", "0123456789", OpenMode::Replace, "0123456789"},
                                              {"a.bin", "AB", OpenMode::WriteExisting, "AB23456789"},
                                              {"a.bin", "!", OpenMode::WriteAlways, "!B23456789"},
                                              {"a.bin", "short", OpenMode::Replace, "short"}, {"w.bin", "w", OpenMode::WriteAlways, "w"}}) {
        Put(name, content, mode);
        EXPECT_EQ(Get(name), after) << name << " " << content;
    }
    auto file = Open("rw.bin", OpenMode::ReadWriteAlways);
    ASSERT_TRUE(file && file->writeExactly({reinterpret_cast<const std::uint8_t*>("xyz"), 3}) && file->flush());
    ASSERT_TRUE(file->seek(1, SeekFrom::Begin));
    std::uint8_t read[4] = {};
    EXPECT_EQ(file->read(read), 2u);  // a short read at the end, not a failure
    EXPECT_EQ(std::string(read, read + 2), "yz");
    ASSERT_TRUE(file->seek(-1, SeekFrom::End));
    EXPECT_EQ(file->read(read), 1u);
    file.reset();
    // Held open for reading, a file opens no second time, for reading or writing; nor does it flush.
    auto held = Open("rw.bin", OpenMode::Read);
    ASSERT_TRUE(held);
    EXPECT_FALSE(held->flush());
    EXPECT_FALSE(Open("rw.bin", OpenMode::Read) || Open("rw.bin", OpenMode::Replace));
    held.reset();
    EXPECT_TRUE(Open("rw.bin", OpenMode::Read));
}

TEST_F(Win32PlatformTest, FindIgnoresCaseAndKeepsToTheLimit) {
    for (const char* name : {"ONE.kxd", "two.KXD", "three.kxt"}) Put(name, "x");
    ASSERT_TRUE(win_.createDirectory(folder_ + "Sub"));
    std::vector<std::string> designs;
    for (const FoundFile& f : platform().find(folder_ + "*.kxd")) designs.push_back(f.name + (f.isDirectory ? "\\" : ""));
    std::sort(designs.begin(), designs.end());
    EXPECT_EQ(designs, (std::vector<std::string>{"ONE.kxd", "two.KXD"}));
    auto sub = platform().find(folder_ + "sub");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_TRUE(sub[0].isDirectory && sub[0].name == "Sub") << sub[0].name;
    EXPECT_EQ(platform().find(folder_ + "*", 2).size(), 2u);
    for (const std::string& none : {folder_ + "missing*", folder_ + "*" + '\0' + "x"}) EXPECT_TRUE(platform().find(none).empty());
    EXPECT_TRUE(platform().find(folder_ + "*", 0).empty());
}

TEST_F(Win32PlatformTest, FoldersFilesCopiesAndRenames) {
    EXPECT_TRUE(win_.createDirectory(folder_ + "EmbF5") && win_.createDirectory(folder_ + "EmbF5"));  // a second time too
    Put("file", "x");
    EXPECT_FALSE(win_.createDirectory(folder_ + "file"));  // a file is in the way
    Put("src.kxd", "new");
    Put("dst.kxd", "old content");
    EXPECT_TRUE(win_.copyFile(folder_ + "src.kxd", folder_ + "dst.kxd"));
    EXPECT_EQ(Get("dst.kxd"), "new");
    EXPECT_FALSE(win_.copyFile(folder_ + "src.kxd", folder_ + "EmbF5"));  // onto a folder
    EXPECT_TRUE(win_.moveFile(folder_ + "EmbF5", folder_ + "EmbF6"));
    EXPECT_TRUE(PathExists(folder_ + "EmbF6") && !PathExists(folder_ + "EmbF5"));
    EXPECT_FALSE(win_.moveFile(folder_ + "src.kxd", folder_ + "dst.kxd"));  // never replaces
    ASSERT_TRUE(WriteWholeFile(folder_ + "dst.kxd", std::vector<std::uint8_t>{'w', 'h', 'o', 'l', 'e'}));
    EXPECT_EQ(Get("dst.kxd"), "whole");
    EXPECT_TRUE(platform().find(folder_ + "~kx*").empty());  // the side file became dst.kxd
    EXPECT_TRUE(win_.deleteFile(folder_ + "src.kxd"));
    EXPECT_FALSE(win_.deleteFile(folder_ + "src.kxd"));
    std::string why = win_.lastError();  // the system's words for one line, such as "File not found"
    EXPECT_TRUE(!why.empty() && why.back() != '\n' && why.back() != '.') << why;
}

// A device is never opened as a file, whether Windows knows it by its name (COM1.kxd in any folder,
// \\.\COM1, COM1:, NUL, CON) or only by what it is (Z:\dev\zero): nothing to read, nothing to
// copy from or onto. The rig maps COM1 to /dev/zero, which would answer every read at once.
TEST_F(Win32PlatformTest, DevicesAreNeverOpenedAsFiles) {
    Put("ROSE.kxd", "design");
    std::vector<std::string> devices = test::kDevicePaths;
    for (const std::string& name : test::kDeviceFileNames) devices.push_back(folder_ + name);
    devices.insert(devices.end(), {"Z:\\dev\\zero", "Z:\\dev\\null"});
    for (const std::string& device : devices) {
        for (OpenMode mode : {OpenMode::Read, OpenMode::WriteExisting, OpenMode::ReadWriteAlways})
            EXPECT_FALSE(win_.open(device, mode)) << device << " " << static_cast<int>(mode);
        EXPECT_FALSE(ReadWholeFile(device)) << device;
        EXPECT_FALSE(win_.lastError().empty());
    }
    // Copies only from devices that end at once and onto names Wine keeps to itself: a copy that
    // went through would neither run for good nor touch a host file.
    for (const std::string& device : {folder_ + "NUL.kxd", std::string("nul:"), std::string("\\\\.\\NUL"), std::string("Z:\\dev\\null")}) {
        EXPECT_FALSE(win_.copyFile(device, folder_ + "copy.kxd")) << device;
        if (!device.starts_with("Z:")) { EXPECT_FALSE(win_.copyFile(folder_ + "ROSE.kxd", device)) << device; }
    }
    EXPECT_FALSE(PathExists(folder_ + "copy.kxd"));
    EXPECT_EQ(Get("ROSE.kxd"), "design");
    EXPECT_TRUE(win_.open("\\\\.\\" + wintest::CardRoot().substr(0, 2), OpenMode::Volume)) << "a volume opens for its flush";
}

}  // namespace
}  // namespace kx
