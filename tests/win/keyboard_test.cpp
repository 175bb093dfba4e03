// The main dialog worked with the keyboard alone, as a user without a mouse works it: Tab to a
// control, Home, End and the arrows to a row, Space to tick it (by the rules of a click on its
// picture), Enter on a button and on a message box. Designs are written, read and erased so, and
// the keys still reach the dialog after each command switched off its own button.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>

#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

const char* const kPairSelected = "This pattern is for the Tandem Hoop.\nThe counterpart of paired files will also be selected.";
const char* const kPairCancelled =
    "This pattern is for the Tandem Hoop.\nSelection of the counterpart of paired files will also be canceled.";

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The keys still reach the dialog: the focus is on one of its controls that takes them (a command
// that switched off its own button moved the focus on).
void ExpectFocusInDialog(UiSync& ui, HWND dialog) {
    HWND focus = FocusedControl(ui);
    EXPECT_TRUE(focus && IsChild(dialog, focus) && IsWindowEnabled(focus)) << "focus " << focus;
}

// Enter on the message box (caption, text) once it is up: its default answer. False when none came.
bool EnterOnMessageBox(UiSync& ui, const std::string& caption, const std::string& text) {
    if (!WaitForMessageBox(caption, text)) return false;
    PressKey(ui, VK_RETURN);
    return true;
}

// The PC folder rows: HEART, STAR, TANDEM1, TANDEM2.
TEST(Keyboard, TicksWritesReadsAndErasesWithoutAMouse) {
    const std::string card = CardRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(card);
    std::map<std::string, Bytes> designs;
    for (const samples::SampleDesign& design : samples::MakeSampleDesigns()) designs[design.fileName] = design.bytes;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string pc = folder + ("kx-keys-" + std::to_string(GetCurrentProcessId())) + "\\";
    EmptyFolder(pc);
    for (const char* name : {"HEART.kxd", "STAR.kxd", "TANDEM1.kxd", "TANDEM2.kxd"}) WriteFile(pc + name, designs[name]);
    pc.copy(folder, MAX_PATH - 1);
    int result = -1;
    RunDialog([&] { result = ConnectCardDlg(nullptr, folder); }, "Write Designs, Read and Erase", [&](UiSync& ui, HWND dialog) {
        HWND pcList = GetDlgItem(dialog, IDC_PC_LIST), cardList = GetDlgItem(dialog, IDC_DESIGN_LIST);
        ui.step("Tab reaches the PC list; Home and Space tick the first design, the counter and Write follow");
        ASSERT_TRUE(TabTo(ui, dialog, IDC_PC_LIST));
        PressKey(ui, VK_HOME);
        PressKey(ui, VK_SPACE);
        EXPECT_EQ(Items(pcList), "HEART.kxd:11 STAR.kxd:10 TANDEM1.kxd:10 TANDEM2.kxd:10");
        EXPECT_EQ(Text(dialog, IDC_PC_COUNT), "Selected designs : 1");
        EXPECT_TRUE(Enabled(dialog, IDC_WRITE_ARROW));
        ui.step("Space on a pair half ticks its counterpart after the message; Space again unticks both");
        PressKey(ui, VK_DOWN);
        PressKey(ui, VK_DOWN);
        PressKey(ui, VK_SPACE);
        EXPECT_TRUE(EnterOnMessageBox(ui, "Confirm", kPairSelected));
        EXPECT_EQ(Items(pcList), "HEART.kxd:11 STAR.kxd:10 TANDEM1.kxd:11 TANDEM2.kxd:11");
        PressKey(ui, VK_SPACE);
        EXPECT_TRUE(EnterOnMessageBox(ui, "Confirm", kPairCancelled));
        EXPECT_EQ(Items(pcList), "HEART.kxd:11 STAR.kxd:10 TANDEM1.kxd:10 TANDEM2.kxd:10");
        PressKey(ui, VK_SPACE);
        EXPECT_TRUE(EnterOnMessageBox(ui, "Confirm", kPairSelected));
        EXPECT_EQ(Text(dialog, IDC_PC_COUNT), "Selected designs : 3");

        ui.step("Tab to Write and Enter: the three on the card");
        ASSERT_TRUE(TabTo(ui, dialog, IDC_WRITE_ARROW));
        PressKey(ui, VK_RETURN);
        EXPECT_EQ(Existing(first, {"HEART.kxd", "STAR.kxd", "TANDEM1.kxd", "TANDEM2.kxd"}), "HEART.kxd TANDEM1.kxd TANDEM2.kxd");
        EXPECT_EQ(Text(dialog, IDC_PC_COUNT), "Selected designs : 0");
        EXPECT_FALSE(Enabled(dialog, IDC_WRITE_ARROW));
        ExpectFocusInDialog(ui, dialog);

        ui.step("Tab to Open and Enter: the folder's designs; End and Space tick the last one");
        WriteFile(first + "apple.kxd", designs["FLOWER.kxd"]);
        ASSERT_TRUE(TabTo(ui, dialog, IDC_CARD_OPEN));
        PressKey(ui, VK_RETURN);
        EXPECT_EQ(Text(dialog, IDC_OPEN_FOLDER_NAME), "Folder : EmbF5");
        ASSERT_TRUE(TabTo(ui, dialog, IDC_DESIGN_LIST));
        PressKey(ui, VK_END);
        PressKey(ui, VK_SPACE);
        EXPECT_EQ(Items(cardList), "HEART.kxd:10 TANDEM1.kxd:10 TANDEM2.kxd:10 apple.kxd:11");
        EXPECT_EQ(Text(dialog, IDC_CARD_COUNT), "Selected designs : 1");
        EXPECT_TRUE(Enabled(dialog, IDC_READ_ARROW) && Enabled(dialog, IDC_ERASE));

        ui.step("Tab to Read and Enter: the design read into the PC folder");
        ASSERT_TRUE(TabTo(ui, dialog, IDC_READ_ARROW));
        PressKey(ui, VK_RETURN);
        EXPECT_EQ(ReadFile(pc + "apple.kxd"), designs["FLOWER.kxd"]);
        EXPECT_EQ(Text(dialog, IDC_CARD_COUNT), "Selected designs : 0");
        ExpectFocusInDialog(ui, dialog);

        ui.step("ticked again, Tab to Erase, Enter and Enter on its question (Yes): gone from the card");
        ASSERT_TRUE(TabTo(ui, dialog, IDC_DESIGN_LIST));
        PressKey(ui, VK_END);
        PressKey(ui, VK_SPACE);
        ASSERT_TRUE(TabTo(ui, dialog, IDC_ERASE));
        PressKey(ui, VK_RETURN);
        EXPECT_TRUE(EnterOnMessageBox(ui, "Confirm", "Are you sure you want to delete the selected designs from the ATA PC Card?"));
        EXPECT_FALSE(Exists(first + "apple.kxd"));
        EXPECT_EQ(Items(cardList), "HEART.kxd:10 TANDEM1.kxd:10 TANDEM2.kxd:10");
        ExpectFocusInDialog(ui, dialog);

        ui.step("Tab to Close and Enter ends the dialog");
        ASSERT_TRUE(TabTo(ui, dialog, IDCANCEL));
        PressKey(ui, VK_RETURN);
        EXPECT_TRUE(WaitForHidden(dialog));
    });
    EXPECT_EQ(result, 1);
    EmptyFolder(pc);
}

}  // namespace
}  // namespace kx::wintest
