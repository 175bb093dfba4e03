// The card module over the real Win32 backend under Wine: the rig's drives as the listing sees
// them, and the layout check, migration and rename on the rig's fresh removable card.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../unit/card/card_expected.h"
#include "card/card_drives.h"
#include "card/card_layout.h"
#include "harness/ui_driver.h"

namespace kx::wintest {
namespace {

namespace fs = std::filesystem;

TEST(CardDrivesUnderWine, CardSelectedNoMediaLetterListedNeverANorAFixedDriveWithASize) {
    const std::string card = CardRoot(), noMedia = NoMediaRoot();
    if (card.empty() || noMedia.empty()) GTEST_SKIP() << "outside the Wine rig";
    const CardDriveList list = ListCardDrives();
    auto listed = [&](const std::string& root) { return std::ranges::count(list.roots, root) == 1; };
    ASSERT_GE(list.firstRemovable, 0) << list.joined();
    EXPECT_EQ(list.roots[static_cast<std::size_t>(list.firstRemovable)], card) << list.joined();
    EXPECT_TRUE(listed(noMedia) && DriveHasMedia(card) && !DriveHasMedia(noMedia)) << list.joined();
    int sizedFixedDrives = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        ULARGE_INTEGER total{};
        const bool sized = type == DRIVE_FIXED && GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, nullptr) &&
                           total.QuadPart != 0;
        sizedFixedDrives += sized ? 1 : 0;
        EXPECT_EQ(listed(root), letter != 'A' && (type == DRIVE_REMOVABLE || (type == DRIVE_FIXED && !sized)))
            << root << " of type " << type;
    }
    EXPECT_GT(sizedFixedDrives, 0) << "the prefix's C: should be a fixed drive with a size";
}

// The earlier layout moves after Yes in the real message box, the new order file has the same
// bytes as natively, and a rename rewrites it with the in-memory flags.
TEST(CardLayoutUnderWine, MigrationOrderFileAndRenameOnTheCard) {
    const std::string root = CardRoot();
    if (root.empty()) GTEST_SKIP() << "outside the Wine rig";
    for (const char* f : {"EMB_FILE", "PC_LINK"}) ASSERT_TRUE(CreateDirectoryA((root + f).c_str(), nullptr));
    std::ofstream(root + "EMB_FILE\\ROSE.kxd", std::ios::binary) << "design";
    OrderFile orderFile;
    int result = -1;
    RunDriven([&] { result = CheckCardLayout(0, root, orderFile); },
              [&](UiSync&) { EXPECT_TRUE(AnswerMessageBox("Attention", test::kMigrationText, IDYES)); });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(fs::is_regular_file(root + "EmbF5\\ROSE.kxd"));
    EXPECT_FALSE(fs::exists(root + "EMB_FILE") || fs::exists(root + "PC_LINK"));
    for (int i = 6; i <= 16; ++i) EXPECT_TRUE(fs::is_directory(root + "EmbF" + std::to_string(i))) << i;
    auto onCard = [&] {
        std::ifstream in(root + "Emb_OrdF.dat", std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    std::vector<std::uint8_t> expected = test::BlankOrderImage();
    EXPECT_EQ(onCard(), expected);
    ASSERT_EQ(UpdateFolderName(0, root, 3, "ABCDEFGH", orderFile), OrderFileWrite::Written);
    std::copy_n("ABCDEFGH", 8, expected.begin() + 196);
    expected[test::FolderEntryByte(0, 11)] = 1;  // EmbF5 now holds a design
    EXPECT_EQ(onCard(), expected);
}

}  // namespace
}  // namespace kx::wintest
