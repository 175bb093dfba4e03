// Kept folder listings: the backend's own changes keep them true; others' go unseen until the scope ends.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <functional>
#include "support/test_drives.h"

namespace kx {
namespace {

std::vector<std::string> Found(const std::string& pattern) {
    std::vector<std::string> names;
    for (const FoundFile& f : platform().find(pattern)) names.push_back(f.name);
    return names;
}

TEST(KeptFolderListings, FollowTheBackendsOwnChangesOnly) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.write("E:\\Rose.kxd", {1});
    Platform& p = platform();
    // Each change, then a name no lookup may find any more (or ever: a side file left over).
    struct Step { const char* change; std::function<bool()> make; const char* gone; };
    const Step steps[] = {
        {"create", [&] { return p.open("E:\\tulip.KXD", OpenMode::Replace) != nullptr; }, "~kx*"},
        {"replace in another case", [&] { return p.open("E:\\TULIP.kxd", OpenMode::Replace) != nullptr; }, "~kx*"},
        {"move", [&] { return p.moveFile("E:\\ROSE.KXD", "E:\\Lily.kxd"); }, "rose.kxd"},
        {"whole file over", [&] { return bool(WriteWholeFile("E:\\lily.KXD", std::vector<std::uint8_t>{2})); }, "~kx*"},
        {"copy", [&] { return p.copyFile("E:\\LILY.kxd", "E:\\Iris.kxd"); }, "~kx*"},
        {"delete", [&] { return p.deleteFile("E:\\TULIP.kxd"); }, "tulip.kxd"},
        {"folder", [&] { return p.createDirectory("E:\\sub"); }, "~kx*"},
    };
    {
        KeptFolderListings kept(drives.backend());
        for (const Step& step : steps) {
            SCOPED_TRACE(step.change);
            ASSERT_TRUE(step.make());
            std::vector<std::string> onDisk;
            for (const auto& e : std::filesystem::directory_iterator(drives.host("E:\\"))) onDisk.push_back(e.path().filename());
            std::sort(onDisk.begin(), onDisk.end());
            EXPECT_EQ(Found("E:\\*"), onDisk);
            EXPECT_TRUE(Found(std::string("E:\\") + step.gone).empty());
        }
        drives.write("E:\\Aster.kxd", {3});  // another process's change
        EXPECT_TRUE(Found("E:\\aster.kxd").empty());
    }
    EXPECT_EQ(Found("E:\\aster.kxd"), std::vector<std::string>{"Aster.kxd"});
}
}  // namespace
}  // namespace kx
