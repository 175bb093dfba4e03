// The card's layout check and order file on real folders; its drive listing on scripted answers.
#include "card/card_drives.h"
#include "card/card_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <numeric>

#include "card_expected.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::BlankOrderImage;
using test::FolderEntryByte;
using Bytes = std::vector<std::uint8_t>;

const std::string kOrderPath = "E:\\Emb_OrdF.dat";

class CardLayoutTest : public ::testing::Test {
protected:
    test::TestDrives drives;
    test::ScriptedMessages messages;
    std::string root = drives.addCard('E');
    OrderFile orderFile;

    bool isFolder(const std::string& name) const { return fs::is_directory(drives.host(root + name)); }
    void put(const std::string& path) const {
        if (auto cut = path.rfind('\\'); cut != std::string::npos) drives.makeDir(root + path.substr(0, cut));
        drives.write(root + path, {1, 2, 3});
    }
    Bytes image() const { return Bytes(orderFile.bytes().begin(), orderFile.bytes().end()); }
    bool check() { return CheckCardLayout(5, root, orderFile); }
    std::ptrdiff_t entries() const { return std::distance(fs::directory_iterator(drives.host(root)), {}); }
};

// New order file and folders, silently, on a blank card or for a wrong size or signature; a valid file is kept.
TEST_F(CardLayoutTest, OrderFileIsCreatedReplacedOrKeptWithoutAWord) {
    EXPECT_TRUE(check());
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    EXPECT_TRUE(entries() == 13 && isFolder("EmbF5") && isFolder("EmbF16")) << "the order file and the twelve folders only";
    for (std::size_t size : {0u, 303u, 305u, 4096u, 304u}) {
        Bytes damaged = BlankOrderImage();
        damaged[FolderEntryByte(0, 0)] = 'Z';
        damaged.resize(size, 0);
        if (size == 304) damaged[7] = '2';
        drives.write(kOrderPath, damaged);
        EXPECT_TRUE(check()) << size;
        EXPECT_EQ(std::pair(drives.read(kOrderPath), image()), std::pair(BlankOrderImage(), BlankOrderImage())) << size;
    }
    Bytes custom = BlankOrderImage();
    custom[12] = 0x33;
    custom[FolderEntryByte(4, 0)] = 'Q';
    drives.write(kOrderPath, custom);
    put("EmbF16\\a.kxd");
    {
        test::FaultPlatform readOnly(drives.backend());
        readOnly.setReadOnly('E');
        EXPECT_TRUE(check()) << "a write-protected card with a valid file is ready";
    }
    put("EmbF8\\ROSE.KXD"), put("EmbF9\\ROSE.kxt");
    ASSERT_TRUE(check());
    EXPECT_EQ(orderFile.displayName(4), "QmbF9");
    for (int i = 0; i < 12; ++i) EXPECT_EQ(orderFile.hasDesigns(i), i == 3 || i == 11) << i;
    EXPECT_EQ(drives.read(kOrderPath), custom);
    EXPECT_TRUE(messages.take().empty());
}

// No or Cancel at the migration question changes nothing; files in the way fail silently (only
// EMB_FILE moves); no order file on a write-protected card fails, a failed write does not, a failed read is reported.
TEST_F(CardLayoutTest, FailuresOnTheCard) {
    for (const char* f : {"PC_LINK", "EmbF5", "EmbF7", "EMB_FILE\\a.kxd"}) put(f);
    EXPECT_EQ(DetectOldLayout(root), kMoveEmbFile);
    for (int answer : {id::NO, id::CANCEL, id::YES}) {
        messages.answer(answer);
        EXPECT_EQ(check(), answer == id::YES) << answer;
        EXPECT_EQ(isFolder("EmbF6"), answer == id::YES) << answer;
    }
    EXPECT_EQ(messages.take(), std::vector<std::string>(3, "5 20 Attention: " + test::kMigrationText)) << "YESNO | ICONHAND";
    for (const char* f : {"PC_LINK", "EmbF5", "EmbF7", "EMB_FILE\\a.kxd"}) EXPECT_TRUE(fs::is_regular_file(drives.host(root + f))) << f;
    EXPECT_TRUE(isFolder("EmbF16") && !orderFile.hasDesigns(0) && !orderFile.hasDesigns(2));
    for (const auto& entry : fs::directory_iterator(drives.host(root))) fs::remove_all(entry.path());

    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_FALSE(check());
    EXPECT_TRUE(!orderFile.has() && entries() == 0);
    faults.setReadOnly(0), faults.setWriteBudget('E', 0);
    Bytes invalid = BlankOrderImage();
    invalid[0] = 'X';
    drives.write(kOrderPath, invalid);
    EXPECT_TRUE(check());
    EXPECT_EQ(std::pair(image(), drives.read(kOrderPath)), std::pair(BlankOrderImage(), invalid));
    EXPECT_TRUE(isFolder("EmbF5") && isFolder("EmbF16") && messages.take().empty());

    test::FaultPlatform failedRead(drives.backend());
    fs::remove_all(drives.host(root + "EmbF5"));
    drives.write(kOrderPath, BlankOrderImage());
    failedRead.failOperation(2);  // the open succeeds, the read fails
    EXPECT_FALSE(check());
    EXPECT_FALSE(orderFile.has() || isFolder("EmbF5"));
    EXPECT_EQ(messages.take(), std::vector<std::string>{"5 16 Upload: Failed to read a temporary file."});
}

// The whole image with the name and the in-memory flags, an 8-letter name unterminated; or nothing.
TEST_F(CardLayoutTest, RenameRewritesTheWholeImageOrNothing) {
    orderFile.assign(OrderFile::DefaultImage());
    for (bool wrongSize : {false, true}) {
        if (wrongSize) drives.write(kOrderPath, Bytes(305, 0));
        EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
        EXPECT_FALSE(drives.exists(kOrderPath)) << "none is created, one of the wrong size deleted";
    }

    Bytes card = BlankOrderImage();
    for (std::size_t i = 8; i < 160; ++i) card[i] = static_cast<std::uint8_t>(0xA0 + i % 50);
    card[204] = 0x7E;  // the byte after folder 3's name
    card[FolderEntryByte(5, 11)] = 1;
    drives.write(kOrderPath, card);
    ASSERT_EQ(ReadOrderFile(0, root, orderFile), OrderFileRead::Valid);
    EXPECT_EQ(UpdateFolderName(0, root, 12, "X", orderFile), OrderFileWrite::NotWritten);
    orderFile.setHasDesigns(0, true), orderFile.setHasDesigns(5, false);
    card[FolderEntryByte(0, 11)] = 1, card[FolderEntryByte(5, 11)] = 0;
    for (const std::string name : {"ABCDEFGH", "AB", "ABCDEFGHIJ"}) {
        ASSERT_EQ(UpdateFolderName(0, root, 3, name, orderFile), OrderFileWrite::Written);
        EXPECT_EQ(orderFile.displayName(3), name.substr(0, 8));
        std::fill_n(card.begin() + 196, 8, 0);
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 8), card.begin() + 196);
        EXPECT_EQ(drives.read(kOrderPath), card) << name;
    }
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_TRUE(drives.read(kOrderPath) == card && messages.take().empty());
    faults.setReadOnly(0), faults.setWriteBudget('E', 10);  // a failed write is reported; the name stays in memory
    EXPECT_EQ(UpdateFolderName(7, root, 2, "Tulips", orderFile), OrderFileWrite::NotWritten);
    EXPECT_EQ(orderFile.displayName(2), "Tulips");
    EXPECT_EQ(messages.take(), std::vector<std::string>{"7 16 Upload: Failed to read a temporary file."});
}

using Roots = std::vector<std::string>;
constexpr DriveType kRemovable = DriveType::Removable, kFixed = DriveType::Fixed;

struct Drive { DriveType type; bool queryOk; std::uint64_t totalBytes; std::uint32_t freeClusters = 0; };

// Drive answers from a table; a failed query leaves its outputs alone, as the Win32 calls do.
class ScriptedDrives : public test::FaultPlatform {
public:
    ScriptedDrives(Platform& inner, std::map<char, Drive> answers, bool exAvailable)
        : FaultPlatform(inner), drives(std::move(answers)), ex(exAvailable) {}
    std::map<char, Drive> drives;
    bool ex;
    Roots exQueries, classicQueries;

    std::uint32_t logicalDrives() override {
        return std::accumulate(drives.begin(), drives.end(), 0u, [](std::uint32_t mask, const auto& d) { return mask | 1u << (d.first - 'A'); });
    }
    DriveType driveType(const std::string& root) override { return drives.at(root[0]).type; }
    bool hasDiskFreeSpaceEx() override { return ex; }
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& total) override {
        return answer(exQueries, root, [&](const Drive& d) { total = d.totalBytes; });
    }
    // 4 KiB clusters: the 32-bit product of a 4 GiB drive's geometry wraps to zero.
    bool diskFreeSpace(const std::string& root, DiskGeometry& g) override {
        return answer(classicQueries, root, [&](const Drive& d) { g = {8, 512, d.freeClusters, static_cast<std::uint32_t>(d.totalBytes / 4096)}; });
    }
    bool answer(Roots& asked, const std::string& root, const std::function<void(const Drive&)>& set) {
        asked.push_back(root);
        if (drives.at(root[0]).queryOk) set(drives.at(root[0]));
        return drives.at(root[0]).queryOk;
    }
};

TEST(CardDrivesTest, ListingWithTheExQueryAndItsFallBackMediaTestAndFlush) {
    const std::map<char, Drive> mixed = {
        {'A', {kRemovable, true, 1 << 20}},     // never looked at
        {'C', {kFixed, true, 1ull << 40}},      // a hard disk with a size
        {'D', {kFixed, true, 0, 50}},           // free clusters but no total: reads as zero
        {'E', {kRemovable, false, 1 << 20}},    // no media: listed and selected
        {'F', {kRemovable, true, 1 << 20}},     {'G', {DriveType::Cdrom, true, 0}},
        {'H', {DriveType::Remote, true, 0}},    {'I', {DriveType::RamDisk, true, 0}},
        {'J', {kRemovable, true, 1ull << 32}},  // exactly 4 GiB
        {'Z', {kFixed, false, 0}}};             // a failed query reads as zero
    test::TestDrives base;
    for (bool ex : {true, false}) {
        SCOPED_TRACE(ex ? "ex" : "fall-back");
        ScriptedDrives p(base.backend(), mixed, ex);
        const CardDriveList list = ListCardDrives();
        EXPECT_EQ(std::pair(list.joined(), list.firstRemovable), std::pair(std::string("D:\\,E:\\,F:\\,J:\\,Z:\\"), 1));
        EXPECT_EQ(ex ? p.exQueries : p.classicQueries, (Roots{"C:\\", "D:\\", "E:\\", "F:\\", "J:\\", "Z:\\"}));
        EXPECT_TRUE((ex ? p.classicQueries : p.exQueries).empty());
        p.drives = {{'C', {kFixed, true, 1 << 30}}, {'D', {kFixed, false, 1 << 30}}};  // no removable drive: none selected
        EXPECT_EQ(ListCardDrives().firstRemovable, -1);
    }
    // The media test reads the total capacity, not the free space, and never from the ex query.
    ScriptedDrives p(base.backend(), mixed, true);
    EXPECT_FALSE(DriveHasMedia("D:\\") || DriveHasMedia("E:\\"));
    EXPECT_TRUE(DriveHasMedia("F:\\") && DriveHasMedia("J:\\") && p.exQueries.empty());
    // A flush opens the letter's volume through the backend, where F: and H: are folders.
    for (char card : {'F', 'H'}) base.addCard(card);
    for (char letter : {'F', 'Q'}) FlushVolume(letter);
    EXPECT_EQ(p.flushedVolumes(), "F");
    EXPECT_EQ(p.operationCount(), 2) << "one open of each volume, nothing else";
}

// A card check needs a drive with media, and says so when there is none.
TEST_F(CardLayoutTest, TheCardCheckNeedsMedia) {
    drives.addNoMedia('F');
    EXPECT_TRUE(CheckCardReady(0, "E:\\") && !CheckCardReady(0, ""));  // no drive chosen: silent
    EXPECT_FALSE(CheckCardReady(5, "F:\\"));
    EXPECT_EQ(messages.take(), std::vector<std::string>{"5 16 SnapPort: Failed to save a design.\n"
                                                "Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?"});
}

}  // namespace
}  // namespace kx
