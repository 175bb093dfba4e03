// The main dialog under Wine, walked as a user walks it: each named step checks what the user sees
// and what lands on the card and the PC; once it has closed, no item record is left. With
// KX_SCREENSHOTS set it saves the README's pictures.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>

#include "../unit/card/card_expected.h"
#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/sample_designs.h"
#include "ui/win/item_record.h"

namespace kx::wintest {
namespace {

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// In one line: counters, enabled arrows and bin, the card half's controls, Open's text, hoop, Preview.
std::string Seen(HWND d) {
    std::string line = Text(d, IDC_PC_COUNT) + " | " + Text(d, IDC_CARD_COUNT) + " |";
    for (auto [id, name] : {std::pair{IDC_WRITE_ARROW, " write"}, {IDC_READ_ARROW, " read"}, {IDC_ERASE, " erase"}})
        if (Enabled(d, id)) line += name;
    for (const auto& [id, name] : std::vector<std::pair<int, std::string>>{
             {IDC_DRIVE_COMBO, " drives"}, {IDC_FOLDER_LIST, " folders"},
             {IDC_OPEN_FOLDER_NAME, " [" + Text(d, IDC_OPEN_FOLDER_NAME) + "]"}, {IDC_DESIGN_LIST, " designs"}})
        if (Visible(d, id)) line += name;
    return line + " " + Text(d, IDC_CARD_OPEN) + " | hoop '" + Text(d, IDC_HOOP_LABEL) + "'" +
           (IsDlgButtonChecked(d, IDC_PREVIEW_CHECK) ? "" : " preview off");
}
std::string Screen(int pc, int card, const std::string& rest) {
    return "Selected designs : " + std::to_string(pc) + " | Selected designs : " + std::to_string(card) + " |" + rest;
}
const char* const kPairMissing =
    "This pattern is for the Tandem Hoop.\nThe file cannot be selected since the counterpart does not exist in this folder.";

// The PC folder "designs": the samples, a pair half alone and a subfolder.
enum PcRow { CARD, FILL, FLOWER, GIANT, HEART, LONE2, STAR, TANDEM1, TANDEM2, SUB };

TEST(MainDialog, AUserMigratesTheCardWritesPairsPreviewsReadsErasesAndBrowses) {
    const std::string card = CardRoot(), noMedia = NoMediaRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(card);
    for (const char* f : {"EMB_FILE", "PC_LINK"}) ASSERT_TRUE(CreateDirectoryA((card + f).c_str(), nullptr));
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string pc = folder + ("kx-" + std::to_string(GetCurrentProcessId())) + "\\designs\\", sub = pc + "Sub\\";
    EmptyFolder(sub);
    std::map<std::string, Bytes> designs;
    for (const samples::SampleDesign& design : samples::MakeSampleDesigns()) designs[design.fileName] = design.bytes;
    designs["LONE2.kxd"] = designs["TANDEM1.kxd"];
    for (const auto& [name, bytes] : designs) WriteFile(pc + name, bytes);
    pc.copy(folder, MAX_PATH - 1);
    int result = -1;
    RunDriven([&] { result = ConnectCardDlg(nullptr, folder); }, [&](UiSync& ui) {
        ui.step("opened on the earlier layout, migrated: a new order file, the first folder current, the card chosen");
        EXPECT_TRUE(AnswerMessageBox("Attention", test::kMigrationText, IDYES));
        HWND dialog = WaitForDialog("Write Designs, Read and Erase");
        ASSERT_NE(dialog, nullptr);
        ui.wait();
        HWND combo = GetDlgItem(dialog, IDC_DRIVE_COMBO), folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        HWND cardList = GetDlgItem(dialog, IDC_DESIGN_LIST), pcList = GetDlgItem(dialog, IDC_PC_LIST);
        auto act = [&](auto... actions) { (actions(), ...), ui.wait(); };
        EXPECT_EQ(Items(folders), "EmbF5:2 EmbF6:0 EmbF7:0 EmbF8:0 EmbF9:0 EmbF10:0 EmbF11:0 EmbF12:0 EmbF13:0 EmbF14:0 "
                                  "EmbF15:0 EmbF16:0");
        EXPECT_EQ(ReadFile(card + "Emb_OrdF.dat"), test::BlankOrderImage());
        EXPECT_EQ(Existing(card, {"EmbF16\\", "EMB_FILE", "PC_LINK"}), "EmbF16\\");
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), DriveRow(combo, card));
        EXPECT_EQ(DriveRow(combo, noMedia), DriveRow(combo, card) + 1);
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " drives folders Open | hoop ' '"));
        EXPECT_EQ(Items(pcList), "CARD.kxd:10 FILL.kxd:10 FLOWER.kxd:10 GIANT.kxd:10 HEART.kxd:10 LONE2.kxd:10 "
                                 "STAR.kxd:10 TANDEM1.kxd:10 TANDEM2.kxd:10 Sub:0");
        ui.step("tooltips: only the table's controls have one, Close shows \"Cancel\"");
        for (const auto& [id, tip] : std::map<int, std::string>{
                 {IDCANCEL, "Cancel"}, {IDC_PREVIEW_PANE, "Preview Window."}, {IDC_CARD_SELECT_ALL, "Select all designs at once."},
                 {IDC_PREVIEW_CHECK, "Automatically showed by selecting design."},
                 {IDC_CARD_COUNT, "Read number of selected designs."}, {IDC_PC_LIST, "(none)"}, {IDC_WRITE_ARROW, "(none)"}})
            EXPECT_EQ(TooltipText(dialog, GetDlgItem(dialog, id)), tip) << id;
        SaveWindowIfAsked(ui, dialog, "main-dialog");

        ui.step("a drive without media: the re-check is silent, a card command says the card is missing");
        act([&] { ChooseDrive(dialog, combo, noMedia); });
        ClickControl(dialog, IDC_CARD_OPEN);
        EXPECT_TRUE(AnswerMessageBox("SnapPort", "Failed to save a design.\nIs the ATA PC Card correctly inserted into "
                                                 "your PC or Adapter's card slot?", IDOK));
        ui.step("the card chosen again");
        act([&] { ChooseDrive(dialog, combo, card); });
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " drives folders Open | hoop ' '"));
        EXPECT_EQ(ListViewItems(folders).size(), 12u);

        ui.step("two designs ticked by their pictures");
        act([&] { ClickListItem(pcList, HEART, LVIR_ICON); }, [&] { ClickListItem(pcList, STAR, LVIR_ICON); });
        EXPECT_EQ(Seen(dialog), Screen(2, 0, " write drives folders Open | hoop 'Hoop Size  A(F)'"));
        ui.step("the two written into the current folder, which gets its sheet");
        act([&] { ClickControl(dialog, IDC_WRITE_ARROW); });
        EXPECT_EQ(Existing(first, {"HEART.kxd", "HEART.kxt", "STAR.kxd", "STAR.kxt"}), "HEART.kxd HEART.kxt STAR.kxd STAR.kxt");
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " drives folders Open | hoop ' '"));
        EXPECT_EQ(Items(folders).substr(0, 8), "EmbF5:3 ");

        ui.step("a pair half ticks its counterpart; a lone half is refused by a click");
        ClickListItem(pcList, TANDEM1, LVIR_ICON);
        EXPECT_TRUE(AnswerMessageBox("Confirm", "This pattern is for the Tandem Hoop.\nThe counterpart of paired files "
                                                "will also be selected.", IDOK));
        ClickListItem(pcList, LONE2, LVIR_ICON);
        EXPECT_TRUE(AnswerMessageBox("Attention", kPairMissing, IDOK));
        ui.wait();
        EXPECT_EQ(Items(pcList), "CARD.kxd:10 FILL.kxd:10 FLOWER.kxd:10 GIANT.kxd:10 HEART.kxd:10 LONE2.kxd:10 "
                                 "STAR.kxd:10 TANDEM1.kxd:11 TANDEM2.kxd:11 Sub:0");
        EXPECT_EQ(Text(dialog, IDC_PC_COUNT), "Selected designs : 2");
        ui.step("Select All ticks all but the lone half, refused again");
        ClickControl(dialog, IDC_PC_SELECT_ALL);
        EXPECT_TRUE(AnswerMessageBox("Attention", kPairMissing, IDOK));
        ui.wait();
        EXPECT_EQ(Items(pcList), "CARD.kxd:11 FILL.kxd:11 FLOWER.kxd:11 GIANT.kxd:11 HEART.kxd:11 LONE2.kxd:10 "
                                 "STAR.kxd:11 TANDEM1.kxd:11 TANDEM2.kxd:11 Sub:0");

        ui.step("a click on a name previews, ticking nothing; the picture (the hoop's white field) survives a repaint");
        // The repaint only once the click is handled: a repaint sent from here overtakes a posted click.
        act([&] { ClickListItem(pcList, HEART, LVIR_LABEL); });
        act([&] { RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN); });
        EXPECT_EQ(Seen(dialog), Screen(8, 0, " write drives folders Open | hoop 'Hoop Size  C'"));
        HDC pane = GetDC(GetDlgItem(dialog, IDC_PREVIEW_PANE));
        EXPECT_EQ(GetPixel(pane, 2, 2), RGB(255, 255, 255));
        ReleaseDC(GetDlgItem(dialog, IDC_PREVIEW_PANE), pane);
        for (int check : {BST_UNCHECKED, BST_CHECKED}) {
            ui.step(check == BST_CHECKED ? "Preview on again: a click previews" : "Preview off: the pane stays clear");
            act([&] { SendDlgItemMessageA(dialog, IDC_PREVIEW_CHECK, BM_SETCHECK, check, 0); },
                 [&] { ClickControl(dialog, IDC_PREVIEW_CHECK); });
            EXPECT_EQ(Text(dialog, IDC_HOOP_LABEL), " ");
            act([&] { ClickListItem(pcList, check == BST_CHECKED ? FLOWER : HEART, LVIR_LABEL); });
            EXPECT_EQ(Text(dialog, IDC_HOOP_LABEL), check == BST_CHECKED ? "Hoop Size  B" : " ");
        }

        ui.step("typing a name's first letters moves the focus to it");
        act([&] { for (char c : {'s', 't'}) PostMessageA(pcList, WM_CHAR, c, 1); });  // a key's repeat count 1
        EXPECT_EQ(SendMessageA(pcList, LVM_GETNEXTITEM, -1, LVNI_FOCUSED), STAR);

        ui.step("Open shows the folder's designs; a click on a label does not tick");
        WriteFile(first + "apple.kxd", designs["FLOWER.kxd"]);
        act([&] { ClickControl(dialog, IDC_CARD_OPEN); }, [&] { ClickListItem(cardList, 2, LVIR_LABEL); });
        EXPECT_EQ(Seen(dialog), Screen(8, 0, " write [Folder : EmbF5] designs Folder | hoop 'Hoop Size  B'"));
        ui.step("the folder's designs in byte order; a click on a picture ticks");
        act([&] { ClickListItem(cardList, 2, LVIR_ICON); });
        EXPECT_EQ(Items(cardList), "HEART.kxd:10 STAR.kxd:10 apple.kxd:11");
        EXPECT_EQ(Seen(dialog), Screen(8, 1, " write read erase [Folder : EmbF5] designs Folder | hoop 'Hoop Size  B'"));
        SaveWindowIfAsked(ui, dialog, "main-dialog-designs");

        ui.step("into Sub by a double click");
        act([&] { ClickListItem(pcList, SUB, LVIR_LABEL, true); });
        EXPECT_EQ(Items(pcList), "");
        EXPECT_EQ(Seen(dialog), Screen(0, 1, " read erase [Folder : EmbF5] designs Folder | hoop ' '"));
        ui.step("the ticked card design read back into Sub");
        act([&] { ClickControl(dialog, IDC_READ_ARROW); });
        EXPECT_EQ(ReadFile(sub + "apple.kxd"), designs["FLOWER.kxd"]);
        EXPECT_EQ(Items(pcList) + " / " + Items(cardList), "apple.kxd:10 / HEART.kxd:10 STAR.kxd:10 apple.kxd:10");
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " [Folder : EmbF5] designs Folder | hoop ' '"));

        ClickListItem(cardList, 2, LVIR_ICON);
        for (int answer : {IDNO, IDYES}) {
            ui.step(answer == IDNO ? "Erase answered No keeps the file" : "Erase answered Yes deletes it and refills the list");
            ClickControl(dialog, IDC_ERASE);
            EXPECT_TRUE(AnswerMessageBox("Confirm", "Are you sure you want to delete the selected designs from the ATA PC Card?",
                                         answer));
            ui.wait();
            EXPECT_EQ(Exists(first + "apple.kxd"), answer == IDNO);
        }
        EXPECT_EQ(Items(cardList), "HEART.kxd:10 STAR.kxd:10");
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " [Folder : EmbF5] designs Folder | hoop ' '"));

        ui.step("Select All ticks the folder's designs");
        act([&] { ClickControl(dialog, IDC_CARD_SELECT_ALL); });
        EXPECT_EQ(Seen(dialog), Screen(0, 2, " read erase [Folder : EmbF5] designs Folder | hoop ' '"));
        ui.step("Folder goes back, where Select All does nothing");
        act([&] { ClickControl(dialog, IDC_CARD_OPEN); }, [&] { ClickControl(dialog, IDC_CARD_SELECT_ALL); });
        EXPECT_EQ(Seen(dialog), Screen(0, 0, " drives folders Open | hoop ' '"));

        ui.step("Up goes back to the start folder; the location combo drops the tree: Desktop, My Computer, the "
                "drives, the chain down to the start folder with open pictures");
        act([&] { ClickControl(dialog, IDC_FOLDER_UP); },
             [&] { PostMessageA(GetDlgItem(dialog, IDC_LOCATION_COMBO), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); });
        EXPECT_EQ(ListViewItems(pcList).size(), 10u);
        HWND tree = FindWindowExA(nullptr, nullptr, WC_TREEVIEWA, nullptr);  // a popup the dialog owns
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(GetWindow(tree, GW_OWNER), dialog);
        EXPECT_TRUE(IsWindowVisible(tree));
        std::vector<TreeItem> nodes = TreeViewItems(tree);
        ASSERT_GE(nodes.size(), 3u);
        auto deepest = std::max_element(nodes.begin(), nodes.end(), [](auto& a, auto& b) { return a.depth < b.depth; });
        EXPECT_EQ(nodes[0].text + ", " + nodes[1].text + ", " + deepest->text + ":" + std::to_string(deepest->image),
                  "Desktop, My Computer, designs:1");
        ui.step("Enter on \"My Computer\" lists the drives, the card's removable; the tree is cut back");
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET,
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
        act([&] { PostMessageA(tree, WM_KEYDOWN, VK_RETURN, 0); });
        EXPECT_FALSE(IsWindowVisible(tree));
        for (const TreeItem& node : TreeViewItems(tree)) EXPECT_LE(node.depth, 2) << node.text << ": the chain is cut";
        const std::vector<ListItem> drives = ListViewItems(pcList);
        auto cardDrive = std::find_if(drives.begin(), drives.end(), [&](auto& d) { return d.text.find(card.substr(0, 2)) != d.text.npos; });
        ASSERT_NE(cardDrive, drives.end());
        EXPECT_EQ(cardDrive->image, 5);
        ui.step("a double click on the card's drive opens it");
        act([&] { ClickListItem(pcList, static_cast<int>(cardDrive - drives.begin()), LVIR_LABEL, true); });
        EXPECT_EQ(Items(pcList), "EmbF10:0 EmbF11:0 EmbF12:0 EmbF13:0 EmbF14:0 EmbF15:0 EmbF16:0 EmbF5:0 EmbF6:0 EmbF7:0 EmbF8:0 EmbF9:0");
        CloseWithCloseBox(dialog);
    });
    Steps step;
    step("closed: the export's result, the work folder handed back, no item record left");
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(folder, sub.c_str()) << "the read made Sub the work folder; Up and browsing did not";
    EXPECT_EQ(LiveItemRecords(), 0u) << "item records outlived the dialog";
    EmptyFolder(pc);
}

}  // namespace
}  // namespace kx::wintest
