// The main dialog under Wine, driven by control id as a user would: each test walks one path
// from opening to closing and checks what the user sees and what lands on the card.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "harness/card_files.h"
#include "harness/kxcard_library.h"
#include "harness/screen_capture.h"
#include "harness/ui_driver.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

constexpr const char* kTitle = "Write Designs, Read and Erase";
constexpr const char* kEraseQuestion = "Are you sure you want to delete the selected designs from the ATA PC Card?";

std::vector<samples::SampleDesign> Samples() {
    static const std::vector<samples::SampleDesign> designs = samples::MakeSampleDesigns();
    return designs;
}

std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
std::vector<std::string> Texts(const std::vector<ListItem>& items) {
    std::vector<std::string> texts;
    for (const ListItem& item : items) texts.push_back(item.text);
    return texts;
}
std::vector<int> Images(const std::vector<ListItem>& items) {
    std::vector<int> images;
    for (const ListItem& item : items) images.push_back(item.image);
    return images;
}
std::string ComboText(HWND combo, int index) {
    char text[300] = {};
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

int RunMainDialog(const std::function<void(UiSync&, HWND)>& drive) {
    int result = -1;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, folder); },
              [&](UiSync& ui) {
                  HWND dialog = WaitForDialog(kTitle);
                  ASSERT_NE(dialog, nullptr);
                  ui.wait();
                  drive(ui, dialog);
              });
    return result;
}

TEST(MainDialog, BlankCardGetsItsLayoutThenAFolderIsOpenedTickedAndErased) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    EmptyFolder(card);
    OrderFile expected;
    expected.assign(OrderFile::DefaultImage());
    const std::string folder = card + "EmbF5\\";
    int result = RunMainDialog([&](UiSync& ui, HWND dialog) {
        HWND combo = GetDlgItem(dialog, 1001), folders = GetDlgItem(dialog, 1044), designs = GetDlgItem(dialog, 1045);
        // Opened: layout made, twelve folders with the first current, the card drive chosen.
        std::vector<ListItem> items = ListViewItems(folders);
        ASSERT_EQ(items.size(), 12u);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(items[static_cast<std::size_t>(i)].text, expected.displayName(i));
        EXPECT_EQ(Images(items), (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_TRUE(Exists(card + "Emb_OrdF.dat") && IsFolder(card + "EmbF16"));
        int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(ComboText(combo, selected), card + " (Removable Disk)");
        EXPECT_EQ(ComboText(combo, selected + 1), NoMediaRoot() + " (Removable Disk)");
        for (int id : {1009, 1007}) EXPECT_EQ(Text(dialog, id), "Selected designs : 0");
        for (int id : {1047, 1046, 1071}) EXPECT_FALSE(Enabled(dialog, id)) << id;
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1070, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(Visible(dialog, 1044) && Visible(dialog, 1001) && !Visible(dialog, 1045) && !Visible(dialog, 1008));
        SaveScreenshotIfAsked("main-blank-card");

        // Two designs arrive in the first folder; Open shows them in byte order.
        WriteFile(folder + "rose.kxd", Samples()[0].bytes);
        WriteFile(folder + "Heart.kxd", Samples()[1].bytes);
        ClickControl(dialog, 1041);
        ui.wait();
        EXPECT_TRUE(Visible(dialog, 1045) && Visible(dialog, 1008) && !Visible(dialog, 1044) && !Visible(dialog, 1001));
        EXPECT_EQ(Text(dialog, 1008), "Folder : " + expected.displayName(0));
        EXPECT_EQ(Text(dialog, 1041), "Folder");
        EXPECT_EQ(Texts(ListViewItems(designs)), (std::vector<std::string>{"Heart.kxd", "rose.kxd"}));

        // A click on the label does not tick; one on the picture does.
        ClickListItem(designs, 1, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1007), "Selected designs : 0");
        ClickListItem(designs, 1, LVIR_ICON);
        ui.wait();
        EXPECT_EQ(Images(ListViewItems(designs)), (std::vector<int>{10, 11}));
        EXPECT_EQ(Text(dialog, 1007), "Selected designs : 1");
        EXPECT_TRUE(Enabled(dialog, 1046) && Enabled(dialog, 1071) && !Enabled(dialog, 1047));
        SaveScreenshotIfAsked("main-design-view");

        // Erase: No keeps the file, Yes deletes it and refills the list.
        ClickControl(dialog, 1071);
        EXPECT_TRUE(AnswerMessageBox("Confirm", kEraseQuestion, IDNO));
        ui.wait();
        EXPECT_TRUE(Exists(folder + "rose.kxd"));
        ClickControl(dialog, 1071);
        EXPECT_TRUE(AnswerMessageBox("Confirm", kEraseQuestion, IDYES));
        ui.wait();
        EXPECT_FALSE(Exists(folder + "rose.kxd"));
        EXPECT_EQ(Texts(ListViewItems(designs)), (std::vector<std::string>{"Heart.kxd"}));
        EXPECT_EQ(Text(dialog, 1007), "Selected designs : 0");
        EXPECT_FALSE(Enabled(dialog, 1071));

        // Select All ticks the rest; Folder goes back, where the folder now shows its sheet.
        ClickControl(dialog, 1005);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1007), "Selected designs : 1");
        ClickControl(dialog, 1041);
        ui.wait();
        EXPECT_TRUE(Visible(dialog, 1044) && !Visible(dialog, 1045));
        EXPECT_EQ(ListViewItems(folders)[0].image, 3);
        ClickControl(dialog, 1005);  // folder view: nothing
        ui.wait();
        EXPECT_EQ(Text(dialog, 1041), "Open");
        CloseWithCloseBox(dialog);
    });
    EXPECT_EQ(result, 1);
}

}  // namespace
}  // namespace kx::wintest
