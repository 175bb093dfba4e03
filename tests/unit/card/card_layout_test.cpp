// The layout check on real card folders: blank cards, migration of the earlier layout, order-file
// repair, has-designs flags and write-protected cards.
#include "card/card_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "order_image.h"
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
const std::string kMigrationText =
    "A folder name from a previous version has been detected in the card.\n"
    "Do you want to change the folder name for version 3.0?\n"
    "If you wish to use this card on the Version 3.0, click the [Yes] button.\n"
    "If you click the [No] button, the card cannot be used with this software.\n\n"
    "Note: If you wish to use this card on the Version 2.20, click the [No] button.";

class CardLayoutTest : public ::testing::Test {
protected:
    test::TestDrives drives;
    test::ScriptedMessages messages;
    std::string root = drives.addCard('E');
    OrderFile orderFile;

    bool isFolder(const std::string& name) const { return fs::is_directory(drives.host(root + name)); }
    void put(const std::string& path) const { drives.write(root + path, {1, 2, 3}); }
    void folders(std::initializer_list<const char*> names) const {
        for (const char* name : names) drives.makeDir(root + name);
    }

    // Every path on the card with its size (folders -1), to prove nothing changed.
    std::set<std::pair<std::string, std::intmax_t>> snapshot() const {
        std::set<std::pair<std::string, std::intmax_t>> out;
        const fs::path base = drives.host(root);
        for (const auto& e : fs::recursive_directory_iterator(base))
            out.insert({fs::relative(e.path(), base).string(),
                        e.is_directory() ? -1 : static_cast<std::intmax_t>(e.file_size())});
        return out;
    }

    void expectAllDesignFoldersExist() const {
        for (int i = 5; i <= 16; ++i) EXPECT_TRUE(isFolder("EmbF" + std::to_string(i))) << i;
    }

    void expectOneMigrationPrompt() const {
        ASSERT_EQ(messages.shown().size(), 1u);
        const auto& m = messages.shown()[0];
        EXPECT_EQ(m.text, kMigrationText);
        EXPECT_EQ(m.caption, "Attention");
        EXPECT_EQ(m.flags, 0x14u);
        EXPECT_EQ(m.owner, 5u);
    }

    // The migration prompt, answered Yes, must be the check's only message.
    void checkAnsweringYes() {
        messages.answer(id::YES);
        EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
        expectOneMigrationPrompt();
    }
};

TEST_F(CardLayoutTest, BlankCardGetsOrderFileAndTwelveFoldersWithoutPrompt) {
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    EXPECT_EQ(Bytes(orderFile.bytes().begin(), orderFile.bytes().end()), BlankOrderImage());
    expectAllDesignFoldersExist();
    // Nothing else appears: no order-name folders, no earlier folders.
    EXPECT_EQ(snapshot().size(), 13u);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, ValidOrderFileIsKeptAndMissingFoldersCreated) {
    Bytes custom = BlankOrderImage();
    custom[12] = 0x33;
    custom[20] = 'x';
    custom[FolderEntryByte(4, 0)] = 'Q';
    drives.write(kOrderPath, custom);
    drives.makeDir(root + "EmbF9");
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_EQ(drives.read(kOrderPath), custom);
    EXPECT_EQ(orderFile.displayName(4), "QmbF9");
    expectAllDesignFoldersExist();
}

TEST_F(CardLayoutTest, WrongSizeOrderFileIsReplacedInTheSameCheck) {
    for (std::size_t size : {303u, 305u}) {
        Bytes image = BlankOrderImage();
        image[FolderEntryByte(0, 0)] = 'Z';
        image.resize(size, 0);
        drives.write(kOrderPath, image);
        EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1) << size;
        EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage()) << size;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, InvalidOrderFileIsOverwrittenWithDefaults) {
    Bytes image = BlankOrderImage();
    image[7] = '2';
    image[FolderEntryByte(1, 0)] = 'Z';
    drives.write(kOrderPath, image);
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());
    EXPECT_EQ(orderFile.displayName(1), "EmbF6");
}

TEST_F(CardLayoutTest, EarlierLayoutMigratesOnYesWithContents) {
    folders({"EMB_FILE", "PC_LINK"});
    put("EMB_FILE\\ROSE.kxd");
    put("PC_LINK\\link.dat");
    checkAnsweringYes();
    EXPECT_FALSE(drives.exists(root + "EMB_FILE"));
    EXPECT_FALSE(drives.exists(root + "PC_LINK"));
    EXPECT_TRUE(drives.exists(root + "EmbF5\\ROSE.kxd"));
    EXPECT_TRUE(drives.exists(root + "EmbF6\\link.dat"));
    expectAllDesignFoldersExist();
    EXPECT_TRUE(orderFile.hasDesigns(0));
    EXPECT_FALSE(orderFile.hasDesigns(1));
}

TEST_F(CardLayoutTest, NoAtMigrationPromptChangesNothingAndAsksAgainNextTime) {
    folders({"EMB_FILE", "PC_LINK"});
    put("EMB_FILE\\ROSE.kxd");
    put("Emb_OrdF.dat");
    const auto before = snapshot();
    orderFile.assign(OrderFile::DefaultImage());
    messages.answer(id::NO);
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 0);
    expectOneMigrationPrompt();
    EXPECT_FALSE(orderFile.has());
    EXPECT_EQ(snapshot(), before);

    messages.clear();
    messages.answer(id::CANCEL);  // closing the box counts as No
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 0);
    expectOneMigrationPrompt();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CardLayoutTest, BothCurrentFirstFoldersMeanNoPromptWhateverElseExists) {
    folders({"EmbF5", "EmbF6", "EMB_FILE", "PC_LINK"});
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(isFolder("EMB_FILE"));
    EXPECT_TRUE(isFolder("PC_LINK"));
}

TEST_F(CardLayoutTest, PartialMigrationMovesOnlyTheMissingCounterpart) {
    folders({"EmbF5", "EMB_FILE", "PC_LINK"});
    put("EMB_FILE\\old.kxd");
    checkAnsweringYes();
    EXPECT_TRUE(drives.exists(root + "EMB_FILE\\old.kxd"));
    EXPECT_FALSE(drives.exists(root + "PC_LINK"));
    EXPECT_TRUE(isFolder("EmbF6"));
    EXPECT_FALSE(orderFile.hasDesigns(0));
}

TEST_F(CardLayoutTest, EarlierDesignFolderMigratesBesideCurrentSecondFolder) {
    folders({"EMB_FILE", "EmbF6"});
    put("EMB_FILE\\a.kxd");
    checkAnsweringYes();
    EXPECT_TRUE(drives.exists(root + "EmbF5\\a.kxd"));
    EXPECT_FALSE(drives.exists(root + "EMB_FILE"));
}

TEST(DetectOldLayoutTest, BitsFollowWhichFoldersExist) {
    struct Case {
        std::vector<std::string> folders;
        int bits;
    };
    const std::vector<Case> cases = {
        {{}, 0},
        {{"EMB_FILE"}, kMoveEmbFile},
        {{"PC_LINK"}, kMovePcLink},
        {{"EMB_FILE", "PC_LINK"}, kMoveEmbFile | kMovePcLink},
        {{"emb_file", "pc_link"}, kMoveEmbFile | kMovePcLink},
        {{"EmbF5", "EMB_FILE", "PC_LINK"}, kMovePcLink},
        {{"EmbF6", "EMB_FILE", "PC_LINK"}, kMoveEmbFile},
        {{"EmbF5", "EmbF6", "EMB_FILE", "PC_LINK"}, 0},
        {{"EmbF5", "EmbF6"}, 0},
    };
    for (const auto& c : cases) {
        test::TestDrives drives;
        const std::string root = drives.addCard('E');
        for (const auto& f : c.folders) drives.makeDir(root + f);
        EXPECT_EQ(DetectOldLayout(root), c.bits) << ::testing::PrintToString(c.folders);
    }
}

TEST_F(CardLayoutTest, FilesNamedLikeFoldersCountAsMissing) {
    put("EMB_FILE");
    EXPECT_EQ(DetectOldLayout(root), 0);
    put("EmbF7");
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_TRUE(fs::is_regular_file(drives.host(root + "EmbF7")));
    EXPECT_FALSE(orderFile.hasDesigns(2));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, FailedMoveLeavesEarlierFolderAndCreatesCurrentOneEmpty) {
    drives.makeDir(root + "EMB_FILE");
    put("EMB_FILE\\a.kxd");
    put("EmbF5");  // a file in the way of the move
    checkAnsweringYes();
    EXPECT_TRUE(drives.exists(root + "EMB_FILE\\a.kxd"));
    EXPECT_TRUE(fs::is_regular_file(drives.host(root + "EmbF5")));
}

TEST_F(CardLayoutTest, HasDesignsFlagsStayInMemoryUntilTheNextFullWrite) {
    ASSERT_EQ(CheckCardLayout(5, root, orderFile), 1);
    put("EmbF8\\ROSE.KXD");
    put("EmbF9\\ROSE.kxt");
    put("EmbF16\\a.kxd");
    ASSERT_EQ(CheckCardLayout(5, root, orderFile), 1);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(orderFile.hasDesigns(i), i == 3 || i == 11) << i;
    EXPECT_EQ(drives.read(kOrderPath), BlankOrderImage());

    ASSERT_EQ(UpdateFolderName(5, root, 0, "Spring", orderFile), 1);
    const Bytes onCard = drives.read(kOrderPath);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(onCard[FolderEntryByte(i, 11)], (i == 3 || i == 11) ? 1 : 0) << i;
}

TEST_F(CardLayoutTest, WriteProtectedBlankCardFailsWithoutMessage) {
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_TRUE(snapshot().empty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, WriteProtectedCardWithValidOrderFileIsReady) {
    drives.write(kOrderPath, BlankOrderImage());
    drives.makeDir(root + "EmbF10");
    put("EmbF10\\x.kxd");
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_TRUE(orderFile.hasDesigns(5));
    EXPECT_FALSE(isFolder("EmbF5"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, FailedOrderFileWriteGoesOnWithDefaultImage) {
    Bytes image = BlankOrderImage();
    image[0] = 'X';
    drives.write(kOrderPath, image);
    test::FaultPlatform faults(drives.backend());
    faults.setWriteBudget('E', 0);
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 1);
    EXPECT_EQ(Bytes(orderFile.bytes().begin(), orderFile.bytes().end()), BlankOrderImage());
    EXPECT_EQ(drives.read(kOrderPath), image);
    expectAllDesignFoldersExist();
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardLayoutTest, ReportedReadFailureFailsTheCheck) {
    drives.write(kOrderPath, BlankOrderImage());
    test::FaultPlatform faults(drives.backend());
    faults.failOperation(2);  // the order file's read
    EXPECT_EQ(CheckCardLayout(5, root, orderFile), 0);
    EXPECT_FALSE(orderFile.has());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "Upload");
    EXPECT_FALSE(drives.exists(root + "EmbF5"));
}

}  // namespace
}  // namespace kx
