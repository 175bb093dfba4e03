// The main dialog's start folder: the host's folder, or the executable's when that fails.
#include "transfer/work_folder.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/test_drives.h"

namespace kx {
namespace {

std::string ExecutableFolder() {
    PathParts parts = SplitPath(platform().executablePath());
    return parts.drive + parts.dir;
}

TEST(EnterWorkFolder, ExistingFolderBecomesCurrentUnchanged) {
    test::TestDrives drives;
    drives.addFixed('C');
    drives.makeDir("C:\\Designs");
    EXPECT_EQ(EnterWorkFolder("C:\\Designs\\"), "C:\\Designs\\");
    EXPECT_EQ(platform().currentDirectory(), "C:\\Designs\\");
    // The host's spelling is kept, without a separator added.
    EXPECT_EQ(EnterWorkFolder("C:\\Designs"), "C:\\Designs");
}

TEST(EnterWorkFolder, UnusableFolderFallsBackToExecutableFolder) {
    test::TestDrives drives;
    drives.addFixed('C');
    drives.makeDir("C:\\Designs");
    ASSERT_EQ(EnterWorkFolder("C:\\Designs\\"), "C:\\Designs\\");
    std::string expected = ExecutableFolder();
    ASSERT_GE(expected.size(), 3u);
    EXPECT_EQ(expected.back(), '\\');
    for (const char* requested : {"", "C:\\Missing\\", "Q:\\", "C:\\Designs\\nothing.kxd"}) {
        EXPECT_EQ(EnterWorkFolder(requested), expected) << requested;
        EXPECT_EQ(platform().currentDirectory(), "C:\\Designs\\") << requested;
    }
}

}  // namespace
}  // namespace kx
