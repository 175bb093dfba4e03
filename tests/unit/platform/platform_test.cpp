// Wildcards and side-file names, and the POSIX backend's Windows rules on real files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <tuple>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/code_page_932.h"
#include "support/refused_names.h"
#include "support/fault_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& s) { return {s.begin(), s.end()}; }

TEST(Paths, WildcardsAndSideFileNamesIgnoreCase) {
    for (auto [pattern, name] : {std::pair{"*.kxd", "Rose.KXD"}, {"*", "."}, {"r?se*", "ROSE2.kxd"}, {"*a*b*c", "xxaxxbxxc"}, {"**", ""}})
        EXPECT_TRUE(WildcardMatch(pattern, name)) << pattern << " " << name;
    for (auto [pattern, name] : {std::pair{"*.kxd", "Rose.kxt"}, {"*.kxd", "Rose.kxd1"}, {"*a*b*c", "xxaxxcxxb"}})
        EXPECT_FALSE(WildcardMatch(pattern, name)) << pattern << " " << name;
    // A long hostile pattern still ends quickly.
    EXPECT_FALSE(WildcardMatch(std::string(200, '*') + "b", std::string(5000, 'a')));

    // Ours, of this process and of others (the names earlier runs left), in either case; a user's
    // file of the same shape fails the check value, and so do the shapes of earlier versions.
    const std::string ours = CopySideFileName();
    std::string upper = ours;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& side : {ours, upper, std::string("~kx0000beef7725097e.tmp"), std::string("~KX123456785F76A873.TMP")})
        EXPECT_TRUE(IsCopySideFileName(side)) << side;
    for (const char* other : {"~kx0000beef7725097f.tmp", "~kx0000beee7725097e.tmp", "~kx0000beef7725097e.kxd",
                              "~kx0000beef7725097g.tmp", "~kx0000beef7725097e.tmpx", "~kxdeadbeef.tmp", "~KX12AB34CD.TMP",
                              "ROSE.kxcopy-12", "ROSE.kxd.kxcopy-42", "ROSE.kxd"})
        EXPECT_FALSE(IsCopySideFileName(other)) << other;
}

// In code page 932 a character's second byte may be a backslash or a letter: paths split, join,
// cut, fold and match by characters. The same bytes in a single-byte code page are two
// characters each, and split where 932 never does.
TEST(Paths, DoubleByteCharactersAreNeverSplitFoldedOrCut) {
    using namespace test::cp932;
    CodePage cp932 = test::CodePage932(), singleByte;
    ScopedCodePage inForce(cp932);
    PathParts parts = SplitPath("C:\\" + kHyoji + "\\" + kIchiranhyo + ".kxd");
    EXPECT_EQ(parts.drive + "|" + parts.dir + "|" + parts.base + "|" + parts.ext, "C:|\\" + kHyoji + "\\|" + kIchiranhyo + "|.kxd");
    const std::string design = "E:\\EmbF5\\" + kNoumen + ".kxd";
    EXPECT_EQ(FileNamePart(design), kNoumen + ".kxd");
    EXPECT_EQ(ReplaceExtension(design, "kxt"), "E:\\EmbF5\\" + kNoumen + ".kxt");
    EXPECT_EQ(WithTrailingBackslash("C:\\" + kZuhyo), "C:\\" + kZuhyo + "\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\" + kZuhyo + "\\"), "C:\\" + kZuhyo + "\\");
    EXPECT_EQ(MakePath("C:", "\\" + kZuhyo, kSakura, "kxd"), "C:\\" + kZuhyo + "\\" + kSakura + ".kxd");
    EXPECT_FALSE(EqualsIgnoreCase(kA + ".kxd", kDi + ".KXD"));
    EXPECT_EQ(LowerAsciiCopy(kA + ".KXD"), kA + ".kxd");
    EXPECT_TRUE(WildcardMatch("?.KXD", kSakura + ".kxd") && WildcardMatch("*" + kHyoji.substr(0, 2) + ".kxd", kIchiranhyo + ".kxd"));
    EXPECT_FALSE(WildcardMatch("??.kxd", kSakura + ".kxd") || WildcardMatch("*" + kA, kDi));
    EXPECT_EQ(CutAtCharacter("a" + kHyoji, 2), "a");
    EXPECT_EQ(CutAtCharacter("a" + kHyoji, 3), "a" + kHyoji.substr(0, 2));

    ScopedCodePage bytes(singleByte);
    EXPECT_EQ(FileNamePart(design), "\x96\xCA.kxd");
    EXPECT_EQ(WithTrailingBackslash("C:\\" + kZuhyo), "C:\\" + kZuhyo);
    EXPECT_TRUE(EqualsIgnoreCase(kA + ".kxd", kDi + ".KXD") && WildcardMatch("??.kxd", kSakura + ".kxd"));
}

// Windows takes these for devices, whatever their folder or extension; the rest are files. Past
// the shared list, forms no face can safely open.
TEST(Paths, DeviceNamesAreToldFromFileNames) {
    std::vector<std::string> devices = test::kDevicePaths;
    for (const std::string& name : test::kDeviceFileNames) devices.insert(devices.end(), {name, "C:\\designs\\" + name});
    for (const char* more : {"com9.kxd", "E:\\EmbF5\\Nul .kxd", "nul:x", "aux.a.b", "prn", "LPT3.kxd", "conin$", "CONOUT$.kxd",
                             "//./pipe/x", "\\\\?\\C:\\ROSE.kxd", "C:NUL.kxd"})
        devices.push_back(more);
    for (const std::string& device : devices) EXPECT_TRUE(NamesWindowsDevice(device)) << device;
    for (const char* file : {"ROSE.kxd", "COM10.kxd", "COM0", "LPT", "CONSOLE.kxd", "xCOM1.kxd", "C:\\NUL\\ROSE.kxd",
                             "E:\\", "", "\\\\server\\share\\COM.kxd", ".kxd"})
        EXPECT_FALSE(NamesWindowsDevice(file)) << file;
}

// Windows paths map to host paths without regard to case and never climb out of their drive;
// open modes, copies onto an existing name keeping its spelling, moves that never replace.
TEST(PosixPlatform, PathsAndFileOperationsByTheSystemsRules) {
    test::TestDrives drives;
    const fs::path card = drives.host(drives.addCard('E'));
    drives.addFixed('C'), drives.makeDir("E:\\EmbF4");
    auto& b = drives.backend();
    EXPECT_EQ(*b.toHostPath("e:\\embf4\\ROSE.KXD"), (card / "EmbF4" / "ROSE.KXD").string());
    EXPECT_EQ(*b.toHostPath("E:\\..\\..\\etc\\passwd"), (card / "etc" / "passwd").string());
    EXPECT_TRUE(b.toWindowsPath((card / "EmbF4").string()) == "E:\\EmbF4" && !b.toHostPath("Q:\\x"));
    Platform& p = platform();
    EXPECT_FALSE(p.open("E:\\a.bin", OpenMode::Read) || p.open("E:\\a.bin", OpenMode::WriteExisting));
    for (auto [path, mode, bytes] : {std::tuple{"E:\\a.bin", OpenMode::Replace, "abcdef"}, {"E:\\A.BIN", OpenMode::WriteExisting, "XY"}}) {
        auto f = p.open(path, mode);
        EXPECT_TRUE(f && f->writeExactly(B(bytes))) << path;
    }
    EXPECT_EQ(drives.read("E:\\a.bin"), B("XYcdef"));
    drives.makeDir("E:\\dir");
    EXPECT_FALSE(p.open("E:\\dir", OpenMode::Read) || p.open("E:\\dir\\", OpenMode::Replace));

    drives.write("C:\\new.kxd", B("new"));
    drives.write("E:\\ROSE.KXD", B("old and longer"));
    ASSERT_TRUE(p.copyFile("C:\\new.kxd", "E:\\rose.kxd"));
    EXPECT_TRUE(p.find("E:\\*.kxd").size() == 1 && p.find("E:\\*.kxd")[0].name == "ROSE.KXD");
    EXPECT_EQ(drives.read("E:\\ROSE.KXD"), B("new"));
    EXPECT_FALSE(p.copyFile("C:\\missing.kxd", "E:\\x.kxd") || p.copyFile("C:\\new.kxd", "E:\\dir"));
    EXPECT_FALSE(drives.exists("E:\\x.kxd"));

    for (const char* folder : {"E:\\EMB_FILE", "E:\\PC_LINK", "E:\\EmbF6"}) drives.makeDir(folder);
    drives.write("E:\\EMB_FILE\\a.kxd", B("a"));
    ASSERT_TRUE(p.moveFile("E:\\EMB_FILE", "E:\\EmbF5"));
    EXPECT_EQ(drives.read("E:\\EmbF5\\a.kxd"), B("a"));
    EXPECT_FALSE(p.moveFile("E:\\PC_LINK", "E:\\EmbF6") || p.moveFile("E:\\nothing", "E:\\EmbF7"));
    EXPECT_TRUE(drives.exists("E:\\PC_LINK"));
    EXPECT_TRUE(p.createDirectory("E:\\EmbF8\\") && p.createDirectory("E:\\embf8"));  // an existing folder is no error

    // A whole-file write that comes up short leaves neither its side file nor the target.
    test::FaultPlatform full(drives.backend());
    full.setWriteBudget('E', 2);
    EXPECT_EQ(WriteWholeFile("E:\\EmbF8\\new.kxd", B("abcdef")).outcome, WholeFileWrite::Outcome::Incomplete);
    EXPECT_EQ(p.find("E:\\EmbF8\\*").size(), 2u) << "only the dot entries";
}

// A whole file's side file is made new and renamed over the target while still open: a new
// side file is never an existing file or a link, the rename replaces the target in one step, and
// a side file an interrupted write of this process left is replaced, not in the way.
TEST(PosixPlatform, SideFilesAreMadeNewAndRenamedThroughTheOpenFile) {
    test::TestDrives drives;
    drives.addCard('E'), drives.addFixed('C');
    drives.write("C:\\outside.kxd", B("keep"));
    drives.write("E:\\old.kxd", B("old and longer"));
    fs::create_symlink(drives.host("C:\\outside.kxd"), drives.host("E:\\") / "link.tmp");
    Platform& p = platform();
    EXPECT_FALSE(p.open("E:\\OLD.kxd", OpenMode::CreateNew) || p.open("E:\\link.tmp", OpenMode::CreateNew));
    EXPECT_EQ(drives.read("C:\\outside.kxd"), B("keep"));

    auto side = p.open("E:\\new.tmp", OpenMode::CreateNew);
    ASSERT_TRUE(side && side->writeExactly(B("new")) && side->renameTo("E:\\old.kxd"));
    side.reset();
    EXPECT_EQ(drives.read("E:\\old.kxd"), B("new"));
    EXPECT_TRUE(!drives.exists("E:\\new.tmp") && p.find("E:\\*.kxd").size() == 1);

    drives.write("E:\\" + CopySideFileName(), B("left by an interrupted write"));
    ASSERT_TRUE(WriteWholeFile("E:\\old.kxd", B("whole")));
    EXPECT_EQ(drives.read("E:\\old.kxd"), B("whole"));
    EXPECT_EQ(p.find("E:\\~kx*").size(), 0u);

    // Through the fault backend the rename through the file is a rename like any other.
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    EXPECT_FALSE(WriteWholeFile("E:\\old.kxd", B("refused")));
    faults.setReadOnly(0);
    faults.failOperation(faults.operationCount() + 3);  // open, write, then the rename
    EXPECT_EQ(WriteWholeFile("E:\\old.kxd", B("cut")).outcome, WholeFileWrite::Outcome::NotCreated);
    EXPECT_EQ(faults.failedOperation().rfind("rename E:\\" + CopySideFileName() + " E:\\old.kxd", 0), 0u);
    EXPECT_EQ(drives.read("E:\\old.kxd"), B("whole"));
    EXPECT_EQ(p.find("E:\\~kx*").size(), 0u);
}

// Names of code page 932 map to host names byte for byte: a second byte 0x5C stays in its name,
// also beside a separator.
TEST(PosixPlatform, DoubleByteNamesMapWhole) {
    using namespace test::cp932;
    CodePage cp932 = test::CodePage932();
    ScopedCodePage inForce(cp932);
    test::TestDrives drives;
    const fs::path card = drives.host(drives.addCard('E'));
    const std::string folder = "E:\\" + kZuhyo + "\\", design = folder + kNoumen + ".kxd";
    drives.makeDir(folder);
    drives.write(design, B("x"));
    EXPECT_EQ(*drives.backend().toHostPath(design), (card / kZuhyo / (kNoumen + ".kxd")).string());
    EXPECT_EQ(drives.backend().toWindowsPath((card / kZuhyo).string() + "//"), folder);
    const std::vector<FoundFile> found = platform().find(folder + "*.KXD");
    EXPECT_TRUE(found.size() == 1 && found[0].name == kNoumen + ".kxd");
}

// No change goes through a link or lands on a FIFO, device or folder, and no read opens a FIFO.
TEST(PosixPlatform, ChangesNeverGoThroughLinksAndReadsNeverOpenFifos) {
    test::TestDrives drives;
    drives.addCard('E'), drives.addFixed('C');
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
        {"replace link", opens("E:\\link.kxd", OpenMode::Replace), link}, {"rewrite link", opens("E:\\link.kxd", OpenMode::WriteExisting), link},
        {"write into linked folder", opens("E:\\EmbF5\\new.kxd", OpenMode::Replace), linkedFolder},
        {"delete link", [&] { return p.deleteFile("E:\\link.kxd"); }, link},
        {"delete through linked folder", [&] { return p.deleteFile("E:\\EmbF5\\outside.kxd"); }, linkedFolder},
        {"copy onto link", [&] { return p.copyFile("E:\\plain.kxd", "E:\\link.kxd"); }, link},
        {"rename over link", [&] { return p.moveFileReplacing("E:\\plain.kxd", "E:\\link.kxd"); }, link},
        {"rename over folder", [&] { return p.moveFileReplacing("E:\\plain.kxd", "E:\\dir.kxd"); }, "Is a directory"},
        {"read FIFO", opens("E:\\pipe.kxd", OpenMode::Read), "Is a FIFO"}, {"write FIFO", opens("E:\\pipe.kxd", OpenMode::WriteAlways), "Is a FIFO"},
        {"copy from FIFO", [&] { return p.copyFile("E:\\pipe.kxd", "E:\\x.kxd"); }, "Is a FIFO"},
        {"read device", opens("Z:\\dev\\null", OpenMode::Read), "Is a device"},
    };
    for (const auto& [what, change, reason] : cases) {
        const bool done = change();  // before the reason is read
        EXPECT_EQ(std::pair(done, p.lastError()), std::pair(false, reason)) << what;
    }
    EXPECT_TRUE(drives.read("C:\\outside.kxd") == B("keep") && fs::is_symlink(card / "link.kxd"));
    auto read = p.open("E:\\link.kxd", OpenMode::Read);  // a link the user names is read
    Bytes got(4);
    EXPECT_TRUE(read && read->readExactly(got) && got == B("keep"));
}

// Sparse files past 2 and 4 GiB: offsets and sizes travel in 64 bits, in 32-bit builds too.
TEST(PosixPlatform, SizeAndSeekPastTwoAndFourGiB) {
    test::TestDrives drives;
    drives.addFixed('C');
    Platform& p = platform();
    for (std::uint64_t offset : {(3ull << 30), (5ull << 30)}) {
        {
            auto f = p.open("C:\\big.bin", OpenMode::Replace);
            ASSERT_TRUE(f && f->seek(static_cast<std::int64_t>(offset), SeekFrom::Begin) && f->writeExactly(B("end"))) << offset;
        }
        auto f = p.open("C:\\big.bin", OpenMode::Read);
        Bytes read(3);
        ASSERT_TRUE(f && f->seek(-3, SeekFrom::End) && f->readExactly(read));
        EXPECT_EQ(std::pair(f->size(), read), std::pair(std::optional(offset + 3), B("end")));
    }
    // Past the 32 bits the system reads a size with, a file is no design: refused, never cut short.
    EXPECT_EQ(ReadWholeFile("C:\\big.bin"), std::nullopt);
}

}  // namespace
}  // namespace kx
