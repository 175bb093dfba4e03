// The POSIX backend on real files: drive table, FAT-like name lookup, file operations.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "support/fault_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

Bytes B(const std::string& s) { return {s.begin(), s.end()}; }
Names NamesOf(const std::vector<FoundFile>& found) {
    Names out;
    for (const auto& f : found) out.push_back(f.name);
    return out;
}

TEST(PosixPlatform, DriveTableTypesMediaAndPathsThatStayInsideTheDrive) {
    test::TestDrives drives;
    const fs::path card = drives.host(drives.addCard('E'));
    drives.addFixed('C');
    drives.addNoMedia('F');
    Platform& p = platform();
    EXPECT_EQ(p.logicalDrives(), (1u << 2) | (1u << 4) | (1u << 5) | (1u << ('T' - 'A')) | (1u << ('Z' - 'A')));
    const std::pair<const char*, int> types[] = {{"E:\\", DRIVE_TYPE_REMOVABLE}, {"c:\\", DRIVE_TYPE_FIXED},
                                                 {"F:\\", DRIVE_TYPE_REMOVABLE}, {"Q:\\", DRIVE_TYPE_NO_ROOT_DIR}};
    for (auto [root, type] : types) EXPECT_EQ(p.driveType(root), type) << root;
    std::uint64_t total = 0;
    DiskGeometry g;
    EXPECT_FALSE(p.diskFreeSpaceEx("F:\\", total) || p.diskFreeSpace("F:\\", g) || p.open("F:\\x.kxd", OpenMode::Replace));
    EXPECT_TRUE(p.find("F:\\*").empty());
    ASSERT_TRUE(p.diskFreeSpaceEx("E:\\", total) && p.diskFreeSpace("E:\\", g));
    EXPECT_GT(total * g.totalClusters * g.bytesPerSector * g.sectorsPerCluster, 0u);

    auto& b = drives.backend();
    drives.makeDir("E:\\EmbF5");
    EXPECT_EQ(*b.toHostPath("E:\\embf5\\ROSE.KXD"), (card / "EmbF5" / "ROSE.KXD").string());
    EXPECT_EQ(*b.toHostPath("E:\\..\\..\\etc\\passwd"), (card / "etc" / "passwd").string());
    EXPECT_EQ(*b.toWindowsPath((card / "EmbF5").string()), "E:\\EmbF5");
    EXPECT_EQ(*b.toWindowsPath(card.string()), "E:\\");
    EXPECT_FALSE(b.toHostPath("Q:\\x").has_value());
}

TEST(PosixPlatform, FindMatchesWithoutRegardToCaseAndListsDotEntriesOnlyBelowTheRoot) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.makeDir("E:\\EmbF5");
    for (const char* name : {"Rose.KXD", "tulip.kxd", "tulip.kxt", "notes.txt"}) drives.write(std::string("E:\\EmbF5\\") + name, B("x"));
    Platform& p = platform();
    EXPECT_EQ(NamesOf(p.find("E:\\EMBF5\\*.kxd")), (Names{"Rose.KXD", "tulip.kxd"}));
    EXPECT_EQ(NamesOf(p.find("e:\\embf5\\ROSE.kxd")), Names{"Rose.KXD"});
    EXPECT_EQ(NamesOf(p.find("E:\\EmbF5\\t?lip.*")), (Names{"tulip.kxd", "tulip.kxt"}));
    EXPECT_EQ(p.find("E:\\EmbF5\\*", 2).size(), 2u);
    EXPECT_TRUE(p.find("E:\\EmbF5\\*")[0].name == "." && p.find("E:\\EmbF5\\*")[0].isDirectory);
    EXPECT_EQ(NamesOf(p.find("E:\\*")), Names{"EmbF5"});
    for (const char* nothing : {"E:\\EmbF5\\notes.txt\\*", "E:\\EmbF6\\*", "E:\\EmbF5\\"}) EXPECT_TRUE(p.find(nothing).empty()) << nothing;
}

// Open modes, copies onto an existing name keeping its spelling, moves that never replace.
TEST(PosixPlatform, FileOperationsByTheSystemsRules) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.addFixed('C');
    Platform& p = platform();
    EXPECT_FALSE(p.open("E:\\a.bin", OpenMode::Read) || p.open("E:\\a.bin", OpenMode::WriteExisting));
    EXPECT_TRUE(p.open("E:\\a.bin", OpenMode::Replace)->writeExactly(B("abcdef")));
    EXPECT_TRUE(p.open("E:\\A.BIN", OpenMode::WriteExisting)->writeExactly(B("XY")));
    EXPECT_EQ(drives.read("E:\\a.bin"), B("XYcdef"));
    {
        auto f = p.open("E:\\a.bin", OpenMode::ReadWriteAlways);
        ASSERT_TRUE(f && f->size() == 6 && f->seek(-2, SeekFrom::End));
        Bytes tail(4);
        EXPECT_EQ(f->read(tail), 2u);
        EXPECT_FALSE(f->readExactly(tail));
    }
    EXPECT_TRUE(p.open("E:\\b.bin", OpenMode::WriteAlways) && drives.exists("E:\\b.bin"));
    drives.makeDir("E:\\dir");
    EXPECT_FALSE(p.open("E:\\dir", OpenMode::Read) || p.open("E:\\dir\\", OpenMode::Replace));

    drives.write("C:\\new.kxd", B("new"));
    drives.write("E:\\ROSE.KXD", B("old and longer"));
    ASSERT_TRUE(p.copyFile("C:\\new.kxd", "E:\\rose.kxd"));
    EXPECT_EQ(NamesOf(p.find("E:\\*.kxd")), Names{"ROSE.KXD"});
    EXPECT_EQ(drives.read("E:\\ROSE.KXD"), B("new"));
    EXPECT_FALSE(p.copyFile("C:\\missing.kxd", "E:\\x.kxd") || p.copyFile("C:\\new.kxd", "E:\\dir"));
    EXPECT_FALSE(drives.exists("E:\\x.kxd"));

    drives.makeDir("E:\\EMB_FILE");
    drives.write("E:\\EMB_FILE\\a.kxd", B("a"));
    drives.makeDir("E:\\PC_LINK");
    drives.makeDir("E:\\EmbF6");
    ASSERT_TRUE(p.moveFile("E:\\EMB_FILE", "E:\\EmbF5"));
    EXPECT_EQ(drives.read("E:\\EmbF5\\a.kxd"), B("a"));
    EXPECT_FALSE(p.moveFile("E:\\PC_LINK", "E:\\EmbF6") || p.moveFile("E:\\nothing", "E:\\EmbF7"));
    EXPECT_TRUE(drives.exists("E:\\PC_LINK"));

    EXPECT_TRUE(p.createDirectory("E:\\EmbF8\\") && p.createDirectory("E:\\embf8"));  // an existing folder is no error
    drives.write("E:\\EmbF7", B("file"));
    EXPECT_FALSE(p.createDirectory("E:\\EmbF7\\") || p.deleteFile("E:\\EmbF8"));  // folders are not files
    EXPECT_TRUE(p.deleteFile("E:\\embf7"));
    EXPECT_FALSE(p.deleteFile("E:\\EmbF7"));

    // A whole-file write that comes up short leaves neither its side file nor the target.
    test::FaultPlatform full(drives.backend());
    full.setWriteBudget('E', 2);
    EXPECT_EQ(WriteWholeFile("E:\\EmbF8\\new.kxd", B("abcdef")).outcome, WholeFileWrite::Incomplete);
    EXPECT_EQ(NamesOf(p.find("E:\\EmbF8\\*")), (Names{".", ".."}));
}

// A change never goes through a link nor lands on a FIFO, device or folder; reading follows a
// link to a regular file but never opens a FIFO. Each refusal gives its reason.
TEST(PosixPlatform, ChangesNeverGoThroughLinksAndReadsNeverOpenFifos) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.addFixed('C');
    drives.write("C:\\outside.kxd", B("keep"));
    fs::path card = drives.host("E:\\");
    fs::create_symlink(drives.host("C:\\outside.kxd"), card / "link.kxd");
    fs::create_directory_symlink(drives.host("C:\\"), card / "EmbF5");
    ASSERT_EQ(::mkfifo((card / "pipe.kxd").c_str(), 0666), 0);
    fs::create_directory(card / "dir.kxd");
    drives.write("E:\\plain.kxd", B("new"));
    Platform& p = platform();
    auto opens = [&p](const char* path, OpenMode mode) { return [&p, path, mode] { return p.open(path, mode) != nullptr; }; };
    const std::string link = "Is a link", linkedFolder = "A link stands in its path: EmbF5";
    const std::vector<std::tuple<const char*, std::function<bool()>, std::string>> cases{
        {"replace link", opens("E:\\link.kxd", OpenMode::Replace), link},
        {"rewrite link", opens("E:\\link.kxd", OpenMode::WriteExisting), link},
        {"write into linked folder", opens("E:\\EmbF5\\new.kxd", OpenMode::Replace), linkedFolder},
        {"delete link", [&] { return p.deleteFile("E:\\link.kxd"); }, link},
        {"delete through linked folder", [&] { return p.deleteFile("E:\\EmbF5\\outside.kxd"); }, linkedFolder},
        {"copy onto link", [&] { return p.copyFile("E:\\plain.kxd", "E:\\link.kxd"); }, link},
        {"rename over link", [&] { return p.moveFileReplacing("E:\\plain.kxd", "E:\\link.kxd"); }, link},
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
    EXPECT_EQ(drives.read("C:\\outside.kxd"), B("keep"));
    EXPECT_TRUE(fs::is_symlink(card / "link.kxd"));
    auto read = p.open("E:\\link.kxd", OpenMode::Read);  // a link the user names is read
    Bytes got(4);
    ASSERT_TRUE(read && read->readExactly(got));
    EXPECT_EQ(got, B("keep"));
}

TEST(PosixPlatform, TempPathCurrentDirectoryAndClock) {
    test::TestDrives drives;
    drives.addFixed('C');
    Platform& p = platform();
    EXPECT_EQ(p.tempPath(), "T:\\");
    drives.makeDir("C:\\Designs\\Flowers");
    drives.write("C:\\Designs\\Flowers\\here.kxd", B("h"));
    ASSERT_TRUE(p.setCurrentDirectory("c:\\designs") && p.setCurrentDirectory("flowers"));
    EXPECT_FALSE(p.setCurrentDirectory("C:\\nowhere"));
    EXPECT_EQ(p.currentDirectory(), "C:\\Designs\\Flowers\\");
    EXPECT_EQ(NamesOf(p.find("*.kxd")), Names{"here.kxd"});
    // Milliseconds in 100 ns units, and a date after 2020.
    const std::uint64_t t = p.localFileTime();
    EXPECT_TRUE(t % 10000 == 0 && t > 132223104000000000ull) << t;
    EXPECT_EQ(p.executablePath().substr(0, 3), "Z:\\");
}

}  // namespace
}  // namespace kx
