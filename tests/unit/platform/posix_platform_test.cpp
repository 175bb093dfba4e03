// The POSIX backend on real files: drive table, FAT-like name lookup, file operations.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::TestDrives;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
    std::vector<std::string> out;
    for (const auto& f : found) out.push_back(f.name);
    return out;
}

TEST(PosixDriveTable, MapsLettersToFoldersWithTheirTypes) {
    TestDrives drives;
    drives.addCard('E');
    drives.addFixed('C');
    drives.addNoMedia('F');
    Platform& p = platform();
    std::uint32_t mask = p.logicalDrives();
    EXPECT_EQ(mask, (1u << 2) | (1u << 4) | (1u << 5) | (1u << ('T' - 'A')) | (1u << ('Z' - 'A')));
    EXPECT_EQ(p.driveType("E:\\"), DRIVE_TYPE_REMOVABLE);
    EXPECT_EQ(p.driveType("c:\\"), DRIVE_TYPE_FIXED);
    EXPECT_EQ(p.driveType("F:\\"), DRIVE_TYPE_REMOVABLE);
    EXPECT_EQ(p.driveType("Q:\\"), DRIVE_TYPE_NO_ROOT_DIR);
}

TEST(PosixDriveTable, DriveWithoutMediaReportsNoSizeAndNoFiles) {
    TestDrives drives;
    drives.addCard('E');
    drives.addNoMedia('F');
    Platform& p = platform();
    std::uint64_t total = 12345;
    EXPECT_FALSE(p.diskFreeSpaceEx("F:\\", total));
    DiskGeometry g;
    EXPECT_FALSE(p.diskFreeSpace("F:\\", g));
    EXPECT_TRUE(p.find("F:\\*").empty());
    EXPECT_EQ(p.open("F:\\x.kxd", OpenMode::Replace), nullptr);

    ASSERT_TRUE(p.diskFreeSpaceEx("E:\\", total));
    EXPECT_GT(total, 0u);
    ASSERT_TRUE(p.diskFreeSpace("E:\\", g));
    EXPECT_GT(std::uint64_t{g.totalClusters} * g.bytesPerSector * g.sectorsPerCluster, 0u);
}

TEST(PosixPaths, TranslateBothWaysAndKeepInsideTheDrive) {
    TestDrives drives;
    drives.addCard('E');
    auto& b = drives.backend();
    drives.makeDir("E:\\EmbF5");
    fs::path card = drives.host("E:\\");
    EXPECT_EQ(*b.toHostPath("E:\\embf5\\ROSE.KXD"), (card / "EmbF5" / "ROSE.KXD").string());
    EXPECT_EQ(*b.toHostPath("E:\\..\\..\\etc\\passwd"), (card / "etc" / "passwd").string());
    EXPECT_EQ(*b.toWindowsPath((card / "EmbF5").string()), "E:\\EmbF5");
    EXPECT_EQ(*b.toWindowsPath(card.string()), "E:\\");
    EXPECT_FALSE(b.toHostPath("Q:\\x").has_value());
}

TEST(PosixFind, MatchesWildcardsAndNamesWithoutRegardToCase) {
    TestDrives drives;
    drives.addCard('E');
    drives.makeDir("E:\\EmbF5");
    drives.write("E:\\EmbF5\\Rose.KXD", Bytes("r"));
    drives.write("E:\\EmbF5\\tulip.kxd", Bytes("t"));
    drives.write("E:\\EmbF5\\tulip.kxt", Bytes("t"));
    drives.write("E:\\EmbF5\\notes.txt", Bytes("n"));
    Platform& p = platform();

    EXPECT_EQ(Names(p.find("E:\\EMBF5\\*.kxd")), (std::vector<std::string>{"Rose.KXD", "tulip.kxd"}));
    EXPECT_EQ(Names(p.find("e:\\embf5\\ROSE.kxd")), std::vector<std::string>{"Rose.KXD"});
    EXPECT_EQ(Names(p.find("E:\\EmbF5\\t?lip.*")), (std::vector<std::string>{"tulip.kxd", "tulip.kxt"}));
    EXPECT_EQ(p.find("E:\\EmbF5\\*", 2).size(), 2u);
    // A folder's listing starts with its dot entries; the root of a volume has none.
    EXPECT_EQ(Names(p.find("E:\\EmbF5\\*")).front(), ".");
    EXPECT_EQ(Names(p.find("E:\\*")), std::vector<std::string>{"EmbF5"});
    EXPECT_TRUE(p.find("E:\\EmbF5\\*")[0].isDirectory);
    // A file standing where a folder is expected has no contents.
    EXPECT_TRUE(p.find("E:\\EmbF5\\notes.txt\\*").empty());
    EXPECT_TRUE(p.find("E:\\EmbF6\\*").empty());
    EXPECT_TRUE(p.find("E:\\EmbF5\\").empty());
}

TEST(PosixFiles, OpenModesCreateTruncateOrKeep) {
    TestDrives drives;
    drives.addCard('E');
    Platform& p = platform();
    EXPECT_EQ(p.open("E:\\a.bin", OpenMode::Read), nullptr);
    EXPECT_EQ(p.open("E:\\a.bin", OpenMode::WriteExisting), nullptr);
    {
        auto f = p.open("E:\\a.bin", OpenMode::Replace);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->writeExactly(Bytes("abcdef")));
    }
    {
        auto f = p.open("E:\\A.BIN", OpenMode::WriteExisting);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->writeExactly(Bytes("XY")));
    }
    EXPECT_EQ(drives.read("E:\\a.bin"), Bytes("XYcdef"));
    {
        auto f = p.open("E:\\a.bin", OpenMode::ReadWriteAlways);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->size(), 6u);
        ASSERT_TRUE(f->seek(-2, SeekFrom::End));
        std::vector<std::uint8_t> tail(4);
        EXPECT_EQ(f->read(tail), 2u);
        EXPECT_FALSE(f->readExactly(tail));
    }
    {
        auto f = p.open("E:\\b.bin", OpenMode::WriteAlways);
        ASSERT_NE(f, nullptr);
    }
    EXPECT_TRUE(drives.exists("E:\\b.bin"));
    drives.makeDir("E:\\dir");
    EXPECT_EQ(p.open("E:\\dir", OpenMode::Read), nullptr);
    EXPECT_EQ(p.open("E:\\dir\\", OpenMode::Replace), nullptr);
}

TEST(PosixFiles, CopyOverwritesAndKeepsTheExistingSpelling) {
    TestDrives drives;
    drives.addCard('E');
    drives.addFixed('C');
    Platform& p = platform();
    drives.write("C:\\new.kxd", Bytes("new"));
    drives.write("E:\\ROSE.KXD", Bytes("old and longer"));
    ASSERT_TRUE(p.copyFile("C:\\new.kxd", "E:\\rose.kxd"));
    EXPECT_EQ(Names(p.find("E:\\*")), std::vector<std::string>{"ROSE.KXD"});
    EXPECT_EQ(drives.read("E:\\ROSE.KXD"), Bytes("new"));
    EXPECT_FALSE(p.copyFile("C:\\missing.kxd", "E:\\x.kxd"));
    drives.makeDir("E:\\taken");
    EXPECT_FALSE(p.copyFile("C:\\new.kxd", "E:\\taken"));
    EXPECT_FALSE(drives.exists("E:\\x.kxd"));
}

TEST(PosixFiles, MoveRenamesFoldersButNeverReplaces) {
    TestDrives drives;
    drives.addCard('E');
    Platform& p = platform();
    drives.makeDir("E:\\EMB_FILE");
    drives.write("E:\\EMB_FILE\\a.kxd", Bytes("a"));
    drives.makeDir("E:\\PC_LINK");
    drives.makeDir("E:\\EmbF6");
    ASSERT_TRUE(p.moveFile("E:\\EMB_FILE", "E:\\EmbF5"));
    EXPECT_EQ(drives.read("E:\\EmbF5\\a.kxd"), Bytes("a"));
    EXPECT_FALSE(p.moveFile("E:\\PC_LINK", "E:\\EmbF6"));
    EXPECT_TRUE(drives.exists("E:\\PC_LINK"));
    EXPECT_FALSE(p.moveFile("E:\\nothing", "E:\\EmbF7"));
}

TEST(PosixFiles, DeleteAndCreateDirectory) {
    TestDrives drives;
    drives.addCard('E');
    Platform& p = platform();
    EXPECT_TRUE(p.createDirectory("E:\\EmbF5\\"));
    EXPECT_TRUE(p.createDirectory("E:\\embf5"));  // an existing folder is no error
    drives.write("E:\\EmbF7", Bytes("file"));
    EXPECT_FALSE(p.createDirectory("E:\\EmbF7\\"));
    EXPECT_FALSE(p.deleteFile("E:\\EmbF5"));  // folders are not files
    EXPECT_TRUE(p.deleteFile("E:\\embf7"));
    EXPECT_FALSE(p.deleteFile("E:\\EmbF7"));
}

// A change never goes through a link nor lands on a FIFO, device or folder; reading follows a
// link to a regular file but never opens a FIFO. Each refusal gives its reason.
TEST(PosixFiles, ChangesNeverGoThroughLinksAndReadsNeverOpenFifos) {
    TestDrives drives;
    drives.addCard('E');
    drives.addFixed('C');
    drives.write("C:\\outside.kxd", Bytes("keep"));
    fs::path card = drives.host("E:\\"), outside = drives.host("C:\\outside.kxd");
    fs::create_symlink(outside, card / "link.kxd");
    fs::create_directory_symlink(drives.host("C:\\"), card / "EmbF5");
    ASSERT_EQ(::mkfifo((card / "pipe.kxd").c_str(), 0666), 0);
    fs::create_directory(card / "dir.kxd");
    drives.write("E:\\plain.kxd", Bytes("new"));
    Platform& p = platform();
    auto opens = [&p](const char* path, OpenMode mode) { return [&p, path, mode] { return p.open(path, mode) != nullptr; }; };
    const std::vector<std::tuple<const char*, std::function<bool()>, const char*>> cases{
        {"replace link", opens("E:\\link.kxd", OpenMode::Replace), "Is a link"},
        {"rewrite link", opens("E:\\link.kxd", OpenMode::WriteExisting), "Is a link"},
        {"write into linked folder", opens("E:\\EmbF5\\new.kxd", OpenMode::Replace), "A link stands in its path: EmbF5"},
        {"delete link", [&] { return p.deleteFile("E:\\link.kxd"); }, "Is a link"},
        {"delete through linked folder", [&] { return p.deleteFile("E:\\EmbF5\\outside.kxd"); }, "A link stands in its path: EmbF5"},
        {"copy onto link", [&] { return p.copyFile("E:\\plain.kxd", "E:\\link.kxd"); }, "Is a link"},
        {"rename over link", [&] { return p.moveFileReplacing("E:\\plain.kxd", "E:\\link.kxd"); }, "Is a link"},
        {"rename over folder", [&] { return p.moveFileReplacing("E:\\plain.kxd", "E:\\dir.kxd"); }, "Is a directory"},
        {"read FIFO", opens("E:\\pipe.kxd", OpenMode::Read), "Is a FIFO"},
        {"copy from FIFO", [&] { return p.copyFile("E:\\pipe.kxd", "E:\\x.kxd"); }, "Is a FIFO"},
        {"write FIFO", opens("E:\\pipe.kxd", OpenMode::WriteAlways), "Is a FIFO"},
        {"read device", opens("Z:\\dev\\null", OpenMode::Read), "Is a device"},
    };
    for (const auto& [what, change, reason] : cases) {
        EXPECT_FALSE(change()) << what;
        EXPECT_EQ(p.lastError(), reason) << what;
    }
    EXPECT_EQ(drives.read("C:\\outside.kxd"), Bytes("keep"));
    EXPECT_TRUE(fs::is_symlink(card / "link.kxd"));
    auto read = p.open("E:\\link.kxd", OpenMode::Read);  // a link the user names is read
    std::vector<std::uint8_t> got(4);
    ASSERT_TRUE(read && read->readExactly(got));
    EXPECT_EQ(got, Bytes("keep"));
}

TEST(PosixProcess, TempPathCurrentDirectoryAndClock) {
    TestDrives drives;
    drives.addFixed('C');
    Platform& p = platform();
    EXPECT_EQ(p.tempPath(), "T:\\");
    drives.makeDir("C:\\Designs\\Flowers");
    ASSERT_TRUE(p.setCurrentDirectory("c:\\designs"));
    EXPECT_EQ(p.currentDirectory(), "C:\\Designs\\");
    ASSERT_TRUE(p.setCurrentDirectory("flowers"));
    EXPECT_EQ(p.currentDirectory(), "C:\\Designs\\Flowers\\");
    EXPECT_FALSE(p.setCurrentDirectory("C:\\nowhere"));
    EXPECT_EQ(p.currentDirectory(), "C:\\Designs\\Flowers\\");
    drives.write("C:\\Designs\\Flowers\\here.kxd", Bytes("h"));
    EXPECT_EQ(Names(p.find("*.kxd")), std::vector<std::string>{"here.kxd"});

    // Milliseconds in 100 ns units, and a date after 2020.
    std::uint64_t t = p.localFileTime();
    EXPECT_EQ(t % 10000, 0u);
    EXPECT_GT(t, 132223104000000000ull);
    EXPECT_EQ(p.executablePath().substr(0, 3), "Z:\\");
}

}  // namespace
}  // namespace kx
