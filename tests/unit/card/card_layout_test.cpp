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
    void expectDesignFolders() const {
        for (int i = 5; i <= 16; ++i) EXPECT_TRUE(isFolder("EmbF" + std::to_string(i))) << i;
    }
    // The one message shown, as "owner flags caption: text".
    std::string onlyMessage() const {
        if (messages.shown().size() != 1) return std::to_string(messages.shown().size()) + " messages";
        const auto& m = messages.shown()[0];
        return std::to_string(m.owner) + " " + std::to_string(m.flags) + " " + m.caption + ": " + m.text;
    }
    int checkAnswering(int answer) {
        messages.clear();
        messages.answer(answer);
        const int result = check();
        EXPECT_EQ(onlyMessage(), "5 20 Attention: " + test::kMigrationText) << "YESNO | ICONHAND";
        return result;
    }
    // Every path on the card with its size (folders -1), to prove nothing changed.
    std::set<std::pair<std::string, std::intmax_t>> snapshot() const {
        std::set<std::pair<std::string, std::intmax_t>> out;
        for (const auto& e : fs::recursive_directory_iterator(drives.host(root)))
            out.insert({e.path().string(), e.is_directory() ? -1 : static_cast<std::intmax_t>(e.file_size())});
        return out;
    }
};

TEST_F(CardLayoutTest, BlankCardGetsOrderFileAndTwelveFoldersWithoutPrompt) {
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    expectDesignFolders();
    EXPECT_EQ(snapshot().size(), 13u) << "nothing but the order file and the twelve folders";
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, ValidOrderFileIsKeptAndFlagsReachTheCardOnlyWithTheNextFullWrite) {
    Bytes custom = BlankOrderImage();
    custom[12] = 0x33;
    custom[FolderEntryByte(4, 0)] = 'Q';
    drives.write(kOrderPath, custom);
    put("EmbF16\\a.kxd");
    {
        test::FaultPlatform faults(drives.backend());
        faults.setReadOnly('E');
        EXPECT_EQ(check(), 1) << "a write-protected card with a valid file is ready";
        EXPECT_TRUE(orderFile.hasDesigns(11));
    }
    put("EmbF8\\ROSE.KXD");
    put("EmbF9\\ROSE.kxt");
    ASSERT_EQ(check(), 1);
    expectDesignFolders();
    EXPECT_EQ(orderFile.displayName(4), "QmbF9");
    for (int i = 0; i < 12; ++i) EXPECT_EQ(orderFile.hasDesigns(i), i == 3 || i == 11) << i;
    EXPECT_EQ(drives.read(kOrderPath), custom);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, OrderFileOfWrongSizeOrSignatureIsReplacedInTheSameCheck) {
    for (std::size_t size : {0u, 303u, 305u, 4096u, 304u}) {
        SCOPED_TRACE(size);
        Bytes damaged = BlankOrderImage();
        damaged[FolderEntryByte(0, 0)] = 'Z';
        damaged.resize(size, 0);
        if (size == 304) damaged[7] = '2';
        drives.write(kOrderPath, damaged);
        EXPECT_EQ(check(), 1);
        EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
        EXPECT_EQ(image(), BlankOrderImage());
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, NoAtMigrationPromptChangesNothingAndFailsEveryTime) {
    put("EMB_FILE\\ROSE.kxd");
    drives.makeDir(root + "PC_LINK");
    put("Emb_OrdF.dat");
    const auto before = snapshot();
    for (int answer : {id::NO, id::CANCEL}) {
        orderFile.assign(OrderFile::DefaultImage());
        EXPECT_EQ(checkAnswering(answer), 0) << answer;
        EXPECT_FALSE(orderFile.has());
        EXPECT_EQ(snapshot(), before);
    }
}

// Each folder holds a design named after it; an earlier folder moves when its current
// counterpart is missing, and nothing moves when both EmbF5 and EmbF6 exist.
TEST(DetectOldLayoutTest, WholeAndPartialMigrationsMoveOnlyWhatIsMissing) {
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{}, 0}, {{"emb_file"}, kMoveEmbFile}, {{"pc_link"}, kMovePcLink},
        {{"EMB_FILE", "PC_LINK"}, kMoveEmbFile | kMovePcLink},
        {{"EmbF5", "EMB_FILE", "PC_LINK"}, kMovePcLink},
        {{"EmbF6", "EMB_FILE", "PC_LINK"}, kMoveEmbFile},
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
        if (bits) messages.answer(id::YES);
        OrderFile orderFile;
        EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
        EXPECT_EQ(messages.shown().size(), bits ? 1u : 0u);
        EXPECT_EQ(drives.exists(root + "EmbF5\\EMB_FILE.kxd"), (bits & kMoveEmbFile) != 0);
        EXPECT_EQ(drives.exists(root + "EmbF6\\PC_LINK.kxd"), (bits & kMovePcLink) != 0);
    }
}

TEST_F(CardLayoutTest, FilesNamedLikeFoldersCountAsMissingAndFailedCreationsAndMovesAreSilent) {
    put("PC_LINK");
    put("EmbF5");  // in the way of the move
    put("EmbF7");
    put("EMB_FILE\\a.kxd");
    EXPECT_EQ(DetectOldLayout(root), kMoveEmbFile);
    EXPECT_EQ(checkAnswering(id::YES), 1);
    EXPECT_TRUE(drives.exists(root + "EMB_FILE\\a.kxd"));
    for (const char* f : {"PC_LINK", "EmbF5", "EmbF7"}) EXPECT_TRUE(fs::is_regular_file(drives.host(root + f))) << f;
    EXPECT_TRUE(isFolder("EmbF6") && isFolder("EmbF8") && isFolder("EmbF16"));
    EXPECT_FALSE(orderFile.hasDesigns(0) || orderFile.hasDesigns(2));
}

TEST_F(CardLayoutTest, WriteProtectedCardFailsSilentlyWithoutOrderFileAndGoesOnWhenOnlyTheWriteFails) {
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_TRUE(snapshot().empty());

    faults.setReadOnly(0);
    faults.setWriteBudget('E', 0);
    Bytes invalid = BlankOrderImage();
    invalid[0] = 'X';
    drives.write(kOrderPath, invalid);
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(image(), BlankOrderImage());
    EXPECT_EQ(drives.read(kOrderPath), invalid);
    expectDesignFolders();
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, FailedOrderFileReadIsReportedAndFailsTheCheck) {
    drives.write(kOrderPath, BlankOrderImage());
    test::FaultPlatform faults(drives.backend());
    faults.failOperation(2);  // the open succeeds, the read fails
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_EQ(onlyMessage(), "5 16 Upload: Failed to read a temporary file.") << "ICONHAND";
    EXPECT_FALSE(drives.exists(root + "EmbF5"));
}

// Reserved bytes, the order-name table and the in-memory flags go to the card with the name.
TEST_F(CardLayoutTest, RenameRewritesTheWholeImageAndAnEightLetterNameHasNoTerminator) {
    Bytes card = BlankOrderImage();
    for (std::size_t i = 8; i < 160; ++i) card[i] = static_cast<std::uint8_t>(0xA0 + i % 50);
    card[204] = 0x7E;  // the byte after folder 3's name
    card[FolderEntryByte(5, 11)] = 1;
    drives.write(kOrderPath, card);
    ASSERT_EQ(ReadOrderFile(0, root, orderFile), OrderFileRead::Valid);
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
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, RenameWritesNothingWithoutAUsableFileImageOrIndexAndReportsAFailedWrite) {
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_FALSE(drives.exists(kOrderPath)) << "no file is created";
    drives.write(kOrderPath, Bytes(305, 0));
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_FALSE(drives.exists(kOrderPath)) << "a file of the wrong size is deleted";

    drives.write(kOrderPath, BlankOrderImage());
    OrderFile none;
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", none), OrderFileWrite::NotWritten);
    EXPECT_TRUE(none.bytes().empty() && none.displayName(1).empty() && !none.hasDesigns(1));
    for (int bad : {-1, 12}) {
        EXPECT_EQ(UpdateFolderName(0, root, bad, "X", orderFile), OrderFileWrite::NotWritten);
        orderFile.setHasDesigns(bad, true);
        EXPECT_TRUE(orderFile.displayName(bad).empty() && !orderFile.hasDesigns(bad)) << bad;
    }
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), OrderFileWrite::NotWritten);
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    EXPECT_EQ(image(), BlankOrderImage());
    EXPECT_TRUE(messages.shown().empty());

    faults.setReadOnly(0);
    faults.setWriteBudget('E', 10);  // a failed write is reported; the name stays in memory
    EXPECT_EQ(UpdateFolderName(7, root, 2, "Tulips", orderFile), OrderFileWrite::NotWritten);
    EXPECT_EQ(orderFile.displayName(2), "Tulips");
    EXPECT_EQ(onlyMessage(), "7 16 Upload: Failed to read a temporary file.");
}

}  // namespace
}  // namespace kx
