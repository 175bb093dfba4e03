// The card module over the real Win32 backend under Wine: the rig's drives as the listing sees
// them, and the layout check, migration and rename on the rig's removable card.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../unit/card/order_image.h"
#include "card/card_drives.h"
#include "card/card_layout.h"
#include "harness/ui_driver.h"

namespace kx::wintest {
namespace {

namespace fs = std::filesystem;

const char kMigrationText[] =
    "A folder name from a previous version has been detected in the card.\n"
    "Do you want to change the folder name for version 3.0?\n"
    "If you wish to use this card on the Version 3.0, click the [Yes] button.\n"
    "If you click the [No] button, the card cannot be used with this software.\n\n"
    "Note: If you wish to use this card on the Version 2.20, click the [No] button.";

bool Listed(const CardDriveList& list, const std::string& root) {
    return std::find(list.roots.begin(), list.roots.end(), root) != list.roots.end();
}

// The total size straight from the OS, to judge the listing by.
std::uint64_t TotalBytes(const std::string& root) {
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, nullptr)) return 0;
    return total.QuadPart;
}

TEST(CardDrivesUnderWine, RigCardIsSelectedAndNoMediaLetterListed) {
    const std::string card = CardRoot(), noMedia = NoMediaRoot();
    if (card.empty() || noMedia.empty()) GTEST_SKIP() << "outside the Wine rig";
    const CardDriveList list = ListCardDrives();
    ASSERT_GE(list.firstRemovable, 0) << list.joined();
    EXPECT_EQ(list.roots[static_cast<std::size_t>(list.firstRemovable)], card) << list.joined();
    EXPECT_TRUE(Listed(list, noMedia)) << list.joined();
    EXPECT_TRUE(DriveHasMedia(card));
    EXPECT_FALSE(DriveHasMedia(noMedia));
}

TEST(CardDrivesUnderWine, NeverADriveNorAFixedDriveWithASize) {
    const CardDriveList list = ListCardDrives();
    EXPECT_FALSE(Listed(list, "A:\\"));
    const DWORD present = GetLogicalDrives();
    int sizedFixedDrives = 0;
    for (int n = 1; n < 26; ++n) {
        if (!(present & (1u << n))) continue;
        const std::string root = std::string(1, static_cast<char>('A' + n)) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        const bool sized = type == DRIVE_FIXED && TotalBytes(root) != 0;
        sizedFixedDrives += sized ? 1 : 0;
        const bool candidate = type == DRIVE_REMOVABLE || (type == DRIVE_FIXED && !sized);
        EXPECT_EQ(Listed(list, root), candidate) << root << " of type " << type;
    }
    EXPECT_GT(sizedFixedDrives, 0) << "the prefix's C: should be a fixed drive with a size";
}

// Runs on the rig's card; the names the layout uses are cleared before and after, so the cases
// do not see each other's folders.
class CardLayoutUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = CardRoot();
        if (root_.empty()) GTEST_SKIP() << "outside the Wine rig";
        clearLayout();
    }
    void TearDown() override {
        if (!root_.empty()) clearLayout();
    }

    void clearLayout() const {
        std::error_code ignored;
        fs::remove(root_ + "Emb_OrdF.dat", ignored);
        for (int i = 5; i <= 16; ++i) fs::remove_all(root_ + "EmbF" + std::to_string(i), ignored);
        fs::remove_all(root_ + "EMB_FILE", ignored);
        fs::remove_all(root_ + "PC_LINK", ignored);
    }

    std::vector<std::uint8_t> orderFileOnCard() const {
        std::ifstream in(root_ + "Emb_OrdF.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string root_;
    OrderFile orderFile_;
};

TEST_F(CardLayoutUnderWine, BlankCardGetsTheSameBytesAsNatively) {
    ASSERT_EQ(CheckCardLayout(0, root_, orderFile_), 1);
    EXPECT_EQ(orderFileOnCard(), test::BlankOrderImage());
    for (int i = 5; i <= 16; ++i) EXPECT_TRUE(fs::is_directory(root_ + "EmbF" + std::to_string(i))) << i;
    for (int i = 0; i < kCardFolderCount; ++i) EXPECT_FALSE(orderFile_.hasDesigns(i)) << i;
}

TEST_F(CardLayoutUnderWine, EarlierFoldersMoveAfterYesInTheMessageBox) {
    ASSERT_TRUE(CreateDirectoryA((root_ + "EMB_FILE").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root_ + "PC_LINK").c_str(), nullptr));
    std::ofstream(root_ + "EMB_FILE\\ROSE.kxd", std::ios::binary) << "design";
    int result = -1;
    RunDriven([&] { result = CheckCardLayout(0, root_, orderFile_); },
              [&](UiSync&) { EXPECT_TRUE(AnswerMessageBox("Attention", kMigrationText, IDYES)); });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(fs::is_regular_file(root_ + "EmbF5\\ROSE.kxd"));
    EXPECT_TRUE(fs::is_directory(root_ + "EmbF6"));
    EXPECT_FALSE(fs::exists(root_ + "EMB_FILE"));
    EXPECT_FALSE(fs::exists(root_ + "PC_LINK"));
    EXPECT_TRUE(orderFile_.hasDesigns(0));
}

TEST_F(CardLayoutUnderWine, RenameRewritesTheWholeFileWithTheFlags) {
    ASSERT_EQ(CheckCardLayout(0, root_, orderFile_), 1);
    std::ofstream(root_ + "EmbF8\\TULIP.kxd", std::ios::binary) << "design";
    ASSERT_EQ(CheckCardLayout(0, root_, orderFile_), 1);
    ASSERT_EQ(UpdateFolderName(0, root_, 3, "ABCDEFGH", orderFile_), 1);
    std::vector<std::uint8_t> expected = test::BlankOrderImage();
    const std::string name = "ABCDEFGH";
    std::copy(name.begin(), name.end(), expected.begin() + 196);
    expected[test::FolderEntryByte(3, 11)] = 1;
    EXPECT_EQ(orderFileOnCard(), expected);
}

}  // namespace
}  // namespace kx::wintest
