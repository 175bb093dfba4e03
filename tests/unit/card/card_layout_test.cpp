// The layout check and the order file on real card folders: blank cards, migration of the
// earlier layout, order-file repair and renames, has-designs flags and write-protected cards.
#include "card/card_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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
    int check() { return CheckCardLayout(5, root, orderFile); }
    // The messages shown, as "owner flags caption: text".
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& m : messages.shown())
            out.push_back(std::to_string(m.owner) + " " + std::to_string(m.flags) + " " + m.caption + ": " + m.text);
        return out;
    }
    // The card's top-level entries, folders marked with a slash.
    std::set<std::string> entries() const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(drives.host(root))) out.insert(e.path().filename().string() + (e.is_directory() ? "/" : ""));
        return out;
    }
};

// A blank card, or one whose order file has the wrong size or signature, gets a new file and
// the twelve folders silently; a valid file is kept, its flags reach the card only with a rename.
TEST_F(CardLayoutTest, OrderFileIsCreatedReplacedOrKeptWithoutAWord) {
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    std::set<std::string> blank{"Emb_OrdF.dat"};
    for (int i = 5; i <= 16; ++i) blank.insert("EmbF" + std::to_string(i) + "/");
    EXPECT_EQ(entries(), blank);
    for (std::size_t size : {0u, 303u, 305u, 4096u, 304u}) {
        Bytes damaged = BlankOrderImage();
        damaged[FolderEntryByte(0, 0)] = 'Z';
        damaged.resize(size, 0);
        if (size == 304) damaged[7] = '2';
        drives.write(kOrderPath, damaged);
        EXPECT_EQ(check(), 1) << size;
        EXPECT_EQ(std::pair(drives.read(kOrderPath), image()), std::pair(BlankOrderImage(), BlankOrderImage())) << size;
    }
    Bytes custom = BlankOrderImage();
    custom[12] = 0x33;
    custom[FolderEntryByte(4, 0)] = 'Q';
    drives.write(kOrderPath, custom);
    put("EmbF16\\a.kxd");
    {
        test::FaultPlatform faults(drives.backend());
        faults.setReadOnly('E');
        EXPECT_EQ(check(), 1) << "a write-protected card with a valid file is ready";
    }
    put("EmbF8\\ROSE.KXD");
    put("EmbF9\\ROSE.kxt");
    ASSERT_EQ(check(), 1);
    EXPECT_EQ(orderFile.displayName(4), "QmbF9");
    for (int i = 0; i < 12; ++i) EXPECT_EQ(orderFile.hasDesigns(i), i == 3 || i == 11) << i;
    EXPECT_EQ(drives.read(kOrderPath), custom);
    EXPECT_TRUE(messages.shown().empty());
}

// Each folder holds a design named after it; an earlier folder moves when its current
// counterpart is missing, and nothing moves when both EmbF5 and EmbF6 exist. No or Cancel at
// the question changes nothing and fails every time.
TEST(DetectOldLayoutTest, WholeAndPartialMigrationsMoveOnlyWhatIsMissing) {
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{}, 0}, {{"emb_file"}, kMoveEmbFile}, {{"pc_link"}, kMovePcLink}, {{"EMB_FILE", "PC_LINK"}, kMoveEmbFile | kMovePcLink},
        {{"EmbF5", "EMB_FILE", "PC_LINK"}, kMovePcLink}, {{"EmbF6", "EMB_FILE", "PC_LINK"}, kMoveEmbFile},
        {{"EmbF5", "EmbF6", "EMB_FILE", "PC_LINK"}, 0},
    };
    for (const auto& [folders, bits] : rows) {
        SCOPED_TRACE(::testing::PrintToString(folders));
        test::TestDrives drives;
        test::ScriptedMessages messages;
        const std::string root = drives.addCard('E');
        for (const auto& f : folders) {
            drives.makeDir(root + f);
            drives.write(root + f + "\\" + f + ".kxd", {1});
        }
        EXPECT_EQ(DetectOldLayout(root), bits);
        OrderFile orderFile;
        for (int answer : {id::NO, id::CANCEL}) {
            if (!bits) break;
            messages.answer(answer);
            EXPECT_EQ(CheckCardLayout(5, root, orderFile), 0);
            for (const char* made : {"EmbF7", "Emb_OrdF.dat", "EmbF5\\EMB_FILE.kxd", "EmbF6\\PC_LINK.kxd"})
                EXPECT_FALSE(drives.exists(root + made)) << made;
            EXPECT_FALSE(orderFile.has());
        }
        if (bits) messages.answer(id::YES);
        EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
        EXPECT_EQ(messages.texts(), std::vector<std::string>(bits ? 3 : 0, test::kMigrationText));
        if (bits) { EXPECT_EQ(std::pair(messages.shown()[0].caption, messages.shown()[0].flags), std::pair(std::string("Attention"), 20u)); }
        EXPECT_EQ(drives.exists(root + "EmbF5\\EMB_FILE.kxd"), (bits & kMoveEmbFile) != 0);
        EXPECT_EQ(drives.exists(root + "EmbF6\\PC_LINK.kxd"), (bits & kMovePcLink) != 0);
    }
}

// Files in the way of folders count as missing, and failed creations and moves are silent; a
// write-protected card without an order file fails; when only the write fails the check goes on;
// a failed read is reported and fails the check.
TEST_F(CardLayoutTest, FailuresOnTheCard) {
    for (const char* f : {"PC_LINK", "EmbF5", "EmbF7", "EMB_FILE\\a.kxd"}) put(f);
    messages.answer(id::YES);
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(drives.exists(root + "EMB_FILE\\a.kxd"));
    for (const char* f : {"PC_LINK", "EmbF5", "EmbF7"}) EXPECT_TRUE(fs::is_regular_file(drives.host(root + f))) << f;
    EXPECT_TRUE(isFolder("EmbF6") && isFolder("EmbF16"));
    EXPECT_FALSE(orderFile.hasDesigns(0) || orderFile.hasDesigns(2));
    for (const auto& entry : fs::directory_iterator(drives.host(root))) fs::remove_all(entry.path());
    messages.clear();

    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(check(), 0);
    EXPECT_TRUE(!orderFile.has() && entries().empty());
    faults.setReadOnly(0);
    faults.setWriteBudget('E', 0);
    Bytes invalid = BlankOrderImage();
    invalid[0] = 'X';
    drives.write(kOrderPath, invalid);
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(std::pair(image(), drives.read(kOrderPath)), std::pair(BlankOrderImage(), invalid));
    EXPECT_TRUE(isFolder("EmbF5") && isFolder("EmbF16") && messages.shown().empty());

    test::FaultPlatform failedRead(drives.backend());
    fs::remove_all(drives.host(root + "EmbF5"));
    drives.write(kOrderPath, BlankOrderImage());
    failedRead.failOperation(2);  // the open succeeds, the read fails
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(orderFile.has() || isFolder("EmbF5"));
    EXPECT_EQ(shown(), std::vector<std::string>{"5 16 Upload: Failed to read a temporary file."});
}

// Reserved bytes, the order-name table and the in-memory flags go to the card with the name; an
// eight-letter name has no terminator. Nothing is written without a usable file, image or index.
TEST_F(CardLayoutTest, RenameRewritesTheWholeImageOrNothing) {
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_FALSE(drives.exists(kOrderPath)) << "no file is created";
    drives.write(kOrderPath, Bytes(305, 0));
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_FALSE(drives.exists(kOrderPath)) << "a file of the wrong size is deleted";

    Bytes card = BlankOrderImage();
    for (std::size_t i = 8; i < 160; ++i) card[i] = static_cast<std::uint8_t>(0xA0 + i % 50);
    card[204] = 0x7E;  // the byte after folder 3's name
    card[FolderEntryByte(5, 11)] = 1;
    drives.write(kOrderPath, card);
    OrderFile none;
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", none), OrderFileWrite::NotWritten);
    ASSERT_EQ(ReadOrderFile(0, root, orderFile), OrderFileRead::Valid);
    for (int bad : {-1, 12}) EXPECT_EQ(UpdateFolderName(0, root, bad, "X", orderFile), OrderFileWrite::NotWritten);
    orderFile.setHasDesigns(0, true);
    orderFile.setHasDesigns(5, false);
    card[FolderEntryByte(0, 11)] = 1;
    card[FolderEntryByte(5, 11)] = 0;
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
    EXPECT_EQ(drives.read(kOrderPath), card);
    EXPECT_TRUE(messages.shown().empty());
    faults.setReadOnly(0);
    faults.setWriteBudget('E', 10);  // a failed write is reported; the name stays in memory
    EXPECT_EQ(UpdateFolderName(7, root, 2, "Tulips", orderFile), OrderFileWrite::NotWritten);
    EXPECT_EQ(orderFile.displayName(2), "Tulips");
    EXPECT_EQ(shown(), std::vector<std::string>{"7 16 Upload: Failed to read a temporary file."});
}

}  // namespace
}  // namespace kx
