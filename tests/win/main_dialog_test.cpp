// The main dialog under Wine, driven by control id as a user would: each test walks one path
// from opening to closing and checks what the user sees and what lands on the card.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

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

const samples::SampleDesign& Sample(const std::string& name) {
    static const std::vector<samples::SampleDesign> designs = samples::MakeSampleDesigns();
    for (const samples::SampleDesign& design : designs)
        if (design.fileName == name) return design;
    throw std::runtime_error("no sample " + name);
}

// A fresh PC folder in the temporary folder, ending with a backslash.
std::string FreshPcFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    EmptyFolder(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Runs ConnectCardDlg on `folder` (the temporary folder when empty); the folder the host gets
// back lands in `workFolder`.
int RunMainDialog(const std::function<void(UiSync&, HWND)>& drive, std::string folderIn = {},
                  std::string* workFolder = nullptr) {
    int result = -1;
    char folder[MAX_PATH] = {};
    if (folderIn.empty()) GetTempPathA(MAX_PATH, folder);
    else lstrcpynA(folder, folderIn.c_str(), MAX_PATH);
    RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, folder); },
              [&](UiSync& ui) {
                  HWND dialog = WaitForDialog(kTitle);
                  ASSERT_NE(dialog, nullptr);
                  ui.wait();
                  drive(ui, dialog);
              });
    if (workFolder) *workFolder = folder;
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
        WriteFile(folder + "rose.kxd", Sample("STAR.kxd").bytes);
        WriteFile(folder + "Heart.kxd", Sample("HEART.kxd").bytes);
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

TEST(MainDialog, DesignsWrittenByTheirPicturesPairsTickedTogetherAndReadBackIntoASubfolder) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    EmptyFolder(card);
    const std::string pc = FreshPcFolder("kx-pc");
    for (const char* name : {"HEART.kxd", "STAR.kxd", "TANDEM1.kxd", "TANDEM2.kxd"}) WriteFile(pc + name, Sample(name).bytes);
    WriteFile(pc + "LONE2.kxd", Sample("TANDEM1.kxd").bytes);  // a marked half without its counterpart
    CreateDirectoryA((pc + "Sub").c_str(), nullptr);
    const std::string sub = pc + "Sub\\";
    std::string workFolder;
    int result = RunMainDialog([&](UiSync& ui, HWND dialog) {
        HWND pcList = GetDlgItem(dialog, 1067), designs = GetDlgItem(dialog, 1045);
        EXPECT_EQ(Texts(ListViewItems(pcList)),
                  (std::vector<std::string>{"HEART.kxd", "LONE2.kxd", "STAR.kxd", "TANDEM1.kxd", "TANDEM2.kxd", "Sub"}));
        EXPECT_EQ(Images(ListViewItems(pcList)), (std::vector<int>{10, 10, 10, 10, 10, 0}));

        // Two designs ticked by their pictures and written into the first card folder.
        ClickListItem(pcList, 0, LVIR_ICON);
        ClickListItem(pcList, 2, LVIR_ICON);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 2");
        EXPECT_TRUE(Enabled(dialog, 1047));
        ClickControl(dialog, 1047);
        ui.wait();
        for (const char* file : {"HEART.kxd", "HEART.kxt", "STAR.kxd", "STAR.kxt"})
            EXPECT_TRUE(Exists(card + "EmbF5\\" + file)) << file;
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 0");
        EXPECT_FALSE(Enabled(dialog, 1047));
        EXPECT_EQ(ListViewItems(GetDlgItem(dialog, 1044))[0].image, 3);

        // A pair half ticks its counterpart after the notice; a lone half is refused.
        ClickListItem(pcList, 3, LVIR_ICON);
        EXPECT_TRUE(AnswerMessageBox("Confirm",
                                     "This pattern is for the Tandem Hoop.\nThe counterpart of paired files will also be selected.",
                                     IDOK));
        ui.wait();
        EXPECT_EQ(Images(ListViewItems(pcList)), (std::vector<int>{10, 10, 10, 11, 11, 0}));
        const std::string missing =
            "This pattern is for the Tandem Hoop.\nThe file cannot be selected since the counterpart does not exist in this folder.";
        ClickListItem(pcList, 1, LVIR_ICON);
        EXPECT_TRUE(AnswerMessageBox("Attention", missing, IDOK));
        ui.wait();
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 2");
        ClickControl(dialog, 1006);
        EXPECT_TRUE(AnswerMessageBox("Attention", missing, IDOK));
        ui.wait();
        EXPECT_EQ(Images(ListViewItems(pcList)), (std::vector<int>{11, 10, 11, 11, 11, 0}));
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 4");
        SaveScreenshotIfAsked("main-pc-ticked");

        // Into Sub by a double click, then the card's STAR read back there.
        ClickListItem(pcList, 5, LVIR_LABEL, true);
        ui.wait();
        EXPECT_TRUE(ListViewItems(pcList).empty());
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 0");
        ClickControl(dialog, 1041);
        ui.wait();
        EXPECT_EQ(Texts(ListViewItems(designs)), (std::vector<std::string>{"HEART.kxd", "STAR.kxd"}));
        ClickListItem(designs, 1, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, 1046);
        ui.wait();
        EXPECT_TRUE(Exists(sub + "STAR.kxd"));
        EXPECT_EQ(Texts(ListViewItems(pcList)), (std::vector<std::string>{"STAR.kxd"}));
        EXPECT_EQ(Images(ListViewItems(designs)), (std::vector<int>{10, 10}));
        EXPECT_FALSE(Enabled(dialog, 1046) || Enabled(dialog, 1071));

        // Up goes back to the start folder without making it the work folder again.
        ClickControl(dialog, 1068);
        ui.wait();
        EXPECT_EQ(ListViewItems(pcList).size(), 6u);
        ClickControl(dialog, IDCANCEL);
    }, pc, &workFolder);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(workFolder, sub);
}

HWND OwnedTree(HWND dialog) {
    for (HWND w = FindWindowExA(nullptr, nullptr, WC_TREEVIEWA, nullptr); w; w = FindWindowExA(nullptr, w, WC_TREEVIEWA, nullptr))
        if (GetWindow(w, GW_OWNER) == dialog) return w;
    return nullptr;
}

void ChooseDrive(HWND dialog, const std::string& root) {
    HWND combo = GetDlgItem(dialog, 1001);
    for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i)
        if (ComboText(combo, i) == root + " (Removable Disk)") SendMessageA(combo, CB_SETCURSEL, i, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

TEST(MainDialog, DriveWithoutMediaTooltipsTheFolderTreeAndThePreviewSwitch) {
    const std::string card = CardRoot(), noMedia = NoMediaRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    EmptyFolder(card);
    const std::string pc = FreshPcFolder("kx-tree");
    WriteFile(pc + "HEART.kxd", Sample("HEART.kxd").bytes);
    WriteFile(pc + "SHORT.kxd", {1, 2, 3});
    std::string workFolder;
    int result = RunMainDialog([&](UiSync& ui, HWND dialog) {
        HWND pcList = GetDlgItem(dialog, 1067), folders = GetDlgItem(dialog, 1044);
        // A drive without media: the re-check is silent, a card command says the card is missing.
        ChooseDrive(dialog, noMedia);
        ui.wait();
        EXPECT_EQ(ListViewItems(folders).size(), 12u);
        ClickControl(dialog, 1041);
        EXPECT_TRUE(AnswerMessageBox("SnapPort",
                                     "Failed to save a design.\nIs the ATA PC Card correctly inserted into your PC or "
                                     "Adapter's card slot?",
                                     IDOK));
        ui.wait();
        EXPECT_FALSE(Visible(dialog, 1045));
        ChooseDrive(dialog, card);
        ui.wait();

        // Tooltips: only the table's controls have one, Close shows "Cancel".
        struct Tip { int id; const char* text; };
        for (const Tip& tip : {Tip{2, "Cancel"}, Tip{1003, "Preview Window."}, Tip{1005, "Select all designs at once."},
                               Tip{1070, "Automatically showed by selecting design."},
                               Tip{1007, "Read number of selected designs."}, Tip{1067, "(none)"}, Tip{1047, "(none)"}})
            EXPECT_EQ(TooltipText(dialog, GetDlgItem(dialog, tip.id)), tip.text) << tip.id;

        // The preview shows a clicked design with its hoop; unticking Preview clears it.
        ClickListItem(pcList, 0, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1002), "Hoop Size  C");
        EXPECT_EQ(Text(dialog, 1009), "Selected designs : 0");
        // The pane keeps its picture when the dialog is painted again: the hoop's white field.
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ui.wait();
        HDC pane = GetDC(GetDlgItem(dialog, 1003));
        EXPECT_EQ(GetPixel(pane, 2, 2), RGB(255, 255, 255));
        ReleaseDC(GetDlgItem(dialog, 1003), pane);
        // A truncated design draws nothing and leaves the label as it was.
        ClickListItem(pcList, 1, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1002), "Hoop Size  C");
        SendDlgItemMessageA(dialog, 1070, BM_SETCHECK, BST_UNCHECKED, 0);
        ClickControl(dialog, 1070);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1002), " ");
        ClickListItem(pcList, 0, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, 1002), " ");

        // The location combo drops the tree down: Desktop, My Computer, the drives, the chain.
        PostMessageA(GetDlgItem(dialog, 1062), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ui.wait();
        HWND tree = OwnedTree(dialog);
        ASSERT_NE(tree, nullptr);
        EXPECT_TRUE(IsWindowVisible(tree));
        std::vector<TreeItem> nodes = TreeViewItems(tree);
        ASSERT_GE(nodes.size(), 3u);
        EXPECT_EQ(nodes[0].text, "Desktop");
        EXPECT_EQ(nodes[1].text, "My Computer");
        // The chain ends at the start folder, open-folder pictures from the drive down.
        const TreeItem* deepest = &nodes[0];
        for (const TreeItem& node : nodes) deepest = node.depth > deepest->depth ? &node : deepest;
        const std::size_t cut = pc.rfind('\\', pc.size() - 2) + 1;
        EXPECT_EQ(deepest->text, pc.substr(cut, pc.size() - cut - 1));
        EXPECT_EQ(deepest->image, 1);
        // Enter on "My Computer" lists the drives, the card drive with the removable picture.
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET,
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
        PostMessageA(tree, WM_KEYDOWN, VK_RETURN, 0);
        ui.wait();
        EXPECT_FALSE(IsWindowVisible(tree));
        for (const TreeItem& node : TreeViewItems(tree)) EXPECT_LE(node.depth, 2) << node.text << ": the chain is cut";
        std::vector<ListItem> drives = ListViewItems(pcList);
        int cardRow = -1;
        for (std::size_t i = 0; i < drives.size(); ++i)
            if (drives[i].text.find(card.substr(0, 2)) != std::string::npos) cardRow = static_cast<int>(i);
        ASSERT_GE(cardRow, 0);
        EXPECT_EQ(drives[static_cast<std::size_t>(cardRow)].image, 5);
        // A double click opens the drive: the card's folders, designs first (there are none).
        ClickListItem(pcList, cardRow, LVIR_LABEL, true);
        ui.wait();
        EXPECT_EQ(ListViewItems(pcList).size(), 12u);
        EXPECT_EQ(ListViewItems(pcList)[0].text, "EmbF10");
        SaveScreenshotIfAsked("main-tree");
        ClickControl(dialog, IDCANCEL);
    }, pc, &workFolder);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(workFolder, pc) << "browsing alone keeps the start folder";
}

}  // namespace
}  // namespace kx::wintest
