// The card dialogs under Wine at their edges: a close or a second press that arrives while a
// command's message box is up, a newly chosen drive whose card cannot be used, a folder of more
// designs than its list shows, the preview after a shorter hoop field. Each checks what the user
// sees and what lands on the card, the PC and the host's buffer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <map>

#include "../unit/card/card_expected.h"
#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

const char* const kMainTitle = "Write Designs, Read and Erase";
const char* const kGiantRefused = "The \"GIANT\" design exceeds the hoop size limits.";
const char* const kFolderFull = "100 designs have been registered.\nNo more design can be registered.";
const char* const kEraseQuestion = "Are you sure you want to delete the selected designs from the ATA PC Card?";

Bytes Sample(const std::string& name) {
    for (const samples::SampleDesign& design : samples::MakeSampleDesigns())
        if (design.fileName == name) return design.bytes;
    ADD_FAILURE() << "no sample " << name;
    return {};
}

// A fresh PC folder under the temporary folder holding `files`, ending with a backslash.
std::string PcFolder(const std::string& name, const std::map<std::string, Bytes>& files = {}) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = temp + ("kx-edges-" + std::to_string(GetCurrentProcessId())) + "\\" + name + "\\";
    EmptyFolder(folder);
    for (const auto& [file, bytes] : files) WriteFile(folder + file, bytes);
    return folder;
}

// ConnectCardDlg on `pcFolder` (the card's layout is made silently on a blank card), `drive` acting
// once the dialog is up; the host's buffer comes back in `handedBack`.
int RunMainDialog(const std::string& pcFolder, std::string& handedBack, const std::function<void(UiSync&, HWND)>& drive) {
    char folder[MAX_PATH] = {};
    pcFolder.copy(folder, MAX_PATH - 1);
    int result = -1;
    RunDialog([&] { result = ConnectCardDlg(nullptr, folder); }, kMainTitle, drive);
    handedBack = folder;
    return result;
}

// WM_CLOSE reaches `dialog` while the box (caption, text) is up: the dialog stays, its PC list
// whole, until the box is answered and the command has ended; then it closes.
void CloseUnderMessageBox(UiSync& ui, HWND dialog, const char* caption, const std::string& text) {
    ASSERT_NE(WaitForDialog(caption), nullptr) << text;
    const std::size_t rows = ListViewItems(GetDlgItem(dialog, IDC_PC_LIST)).size();
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ui.wait();
    EXPECT_TRUE(IsWindowVisible(dialog)) << "closed under the box " << text;
    EXPECT_EQ(ListViewItems(GetDlgItem(dialog, IDC_PC_LIST)).size(), rows) << "torn down under the box";
    EXPECT_TRUE(AnswerMessageBox(caption, text, IDOK));
    EXPECT_TRUE(WaitForHidden(dialog)) << "the close was dropped, not held";
}

// Write (GIANT refused with a message, then HEART) and Read (A.kxd refused by a folder of that
// name on the PC, then B.kxd) each take a close under their box: the command ends, the dialog
// then closes with 1 and the host gets the PC folder back.
TEST(Closes, WaitForTheCommandWhoseMessageBoxIsUp) {
    const std::string card = CardRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    const Bytes heart = Sample("HEART.kxd");
    EmptyFolder(card);
    std::string pc = PcFolder("close-write", {{"GIANT.kxd", Sample("GIANT.kxd")}, {"HEART.kxd", heart}}), handedBack;
    Steps step;
    step("Write closed under its box");
    int result = RunMainDialog(pc, handedBack, [&](UiSync& ui, HWND dialog) {
        for (int row : {0, 1}) ClickListItem(GetDlgItem(dialog, IDC_PC_LIST), row, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
        CloseUnderMessageBox(ui, dialog, "Attention", kGiantRefused);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(handedBack, pc);
    EXPECT_EQ(Existing(first, {"HEART.kxd", "HEART.kxt", "GIANT.kxd"}), "HEART.kxd HEART.kxt");

    step("Read closed under its box");
    EmptyFolder(first);
    for (const char* name : {"A.kxd", "B.kxd"}) WriteFile(first + name, heart);
    pc = PcFolder("close-read");
    ASSERT_TRUE(CreateDirectoryA((pc + "A.kxd").c_str(), nullptr));
    result = RunMainDialog(pc, handedBack, [&](UiSync& ui, HWND dialog) {
        ClickControl(dialog, IDC_CARD_OPEN);
        ClickControl(dialog, IDC_CARD_SELECT_ALL);
        ui.wait();
        ClickControl(dialog, IDC_READ_ARROW);
        CloseUnderMessageBox(ui, dialog, "Confirm", "Failed to Read Kxd files.\nTry again.");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(handedBack, pc);
    EXPECT_EQ(ReadFile(pc + "B.kxd"), heart);
}

// The host destroys its window, the dialog's owner, while Write's message box is up: the write
// goes on to its end (the next design reaches the card whole), the dialog goes with its owner
// and the host's call returns.
TEST(Closes, TheHostDestroyingItsWindowUnderAMessageBoxEndsTheDialogAfterTheCommand) {
    const std::string card = CardRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(card);
    const Bytes heart = Sample("HEART.kxd");
    const std::string pc = PcFolder("host-gone", {{"GIANT.kxd", Sample("GIANT.kxd")}, {"HEART.kxd", heart}});
    char folder[MAX_PATH] = {};
    pc.copy(folder, MAX_PATH - 1);
    HWND host = nullptr;
    RunDialog([&] {
        host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ConnectCardDlg(host, folder);
    }, kMainTitle, [&](UiSync& ui, HWND dialog) {
        for (int row : {0, 1}) ClickListItem(GetDlgItem(dialog, IDC_PC_LIST), row, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
        ASSERT_NE(WaitForDialog("Attention"), nullptr);
        // Its WM_CLOSE destroys it (DefWindowProc) from within the message box's loop.
        PostMessageA(host, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitForHidden(dialog));
    });
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(Existing(first, {"GIANT.kxd", "HEART.kxd", "HEART.kxt"}), "HEART.kxd HEART.kxt");
    EXPECT_EQ(ReadFile(first + "HEART.kxd").size(), heart.size());
}

// Presses `id` twice before the dialog can act: one box (caption, text) comes, and none is left
// once it is answered.
void PressTwice(UiSync& ui, HWND dialog, int id, const char* caption, const std::string& text, int answer) {
    ClickControl(dialog, id);
    ClickControl(dialog, id);
    ASSERT_NE(WaitForDialog(caption), nullptr) << text;
    ui.wait();
    EXPECT_EQ(VisibleDialogs(caption), 1) << text;
    EXPECT_TRUE(AnswerMessageBox(caption, text, answer));
    ui.wait();
    EXPECT_EQ(VisibleDialogs(caption), 0) << text;
}

// Write into a full folder and Erase in dialog 101, Write in dialog 105 on a list naming a design
// that fits no hoop: the second press does nothing, and the card is as the one answer leaves it.
TEST(DoublePresses, DoNothingWhileTheFirstPressesMessageBoxIsUp) {
    const std::string card = CardRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(first);
    for (int i = 0; i < 100; ++i) WriteFile(first + "D" + std::to_string(100 + i) + ".kxd", Sample("STAR.kxd"));
    std::string pc = PcFolder("double", {{"HEART.kxd", Sample("HEART.kxd")}, {"GIANT.kxd", Sample("GIANT.kxd")}}), handedBack;
    Steps step;
    step("dialog 101: Write into a full folder, Erase");
    RunMainDialog(pc, handedBack, [&](UiSync& ui, HWND dialog) {
        ui.step("dialog 101: Write pressed twice into a full folder");
        ClickListItem(GetDlgItem(dialog, IDC_PC_LIST), 1, LVIR_ICON);
        ui.wait();
        PressTwice(ui, dialog, IDC_WRITE_ARROW, "Attention", kFolderFull, IDOK);
        ui.step("dialog 101: Erase pressed twice, answered No");
        ClickControl(dialog, IDC_CARD_OPEN);
        ClickListItem(GetDlgItem(dialog, IDC_DESIGN_LIST), 0, LVIR_ICON);
        ui.wait();
        PressTwice(ui, dialog, IDC_ERASE, "Confirm", kEraseQuestion, IDNO);
        CloseWithCloseBox(dialog);
    });
    EXPECT_EQ(Existing(first, {"D100.kxd", "D199.kxd", "HEART.kxd"}), "D100.kxd D199.kxd");

    step("dialog 105: Write pressed twice on a design that fits no hoop");
    EmptyFolder(card);
    const std::string list = pc + "designs.lst";
    Bytes record(260, 0);
    const std::string giant = pc + "GIANT.kxd";
    std::copy(giant.begin(), giant.end(), record.begin());
    WriteFile(list, record);
    char name[MAX_PATH] = "ROSE.kxd";
    int result = -1;
    RunDialog([&] { result = DirectFilesWrite(nullptr, name, list.c_str()); }, "Write Designs", [&](UiSync& ui, HWND dialog) {
        ui.step("dialog 106: OK pressed twice on a name too long");
        ClickControl(dialog, IDC_NAME_BUTTON);
        HWND entry = WaitForDialog("Kxd Name");
        ASSERT_NE(entry, nullptr);
        const std::string longName(40, 'L');
        SetDlgItemTextA(entry, IDC_NAME_EDIT, longName.c_str());
        PressTwice(ui, entry, IDOK, "File Name Error", "The Open/Save Folder does not support the long file names such as \"" +
                   longName + "\".\nPlease shorten the file name to 32 characters or less.", IDOK);
        ClickControl(entry, IDCANCEL);
        ui.wait();
        ui.step("dialog 105: Write pressed twice on a design that fits no hoop");
        PressTwice(ui, dialog, IDC_WRITE_ARROW, "Error", "There is an error in a file.\nQuit operation.", IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "a refused write keeps the dialog open";
        ClickControl(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Exists(first + "ROSEGIANT.kxd"));
}

// A newly chosen drive whose card fails the layout check (No to the migration question) empties
// the card half: no folder to open, and Write reaches neither card. The first card, chosen
// again, shows its folders.
TEST(CardRecheck, ANewDriveWhoseCardCannotBeUsedEmptiesTheCardHalf) {
    const std::string card = CardRoot(), other = NoMediaRoot(), behindOther = NoMediaFolder();
    if (card.empty() || behindOther.empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(card);
    ASSERT_TRUE(CreateDirectoryA(behindOther.c_str(), nullptr));
    struct Eject {
        std::string folder;
        ~Eject() { EmptyFolder(folder), RemoveDirectoryA(folder.c_str()); }
    } eject{behindOther};
    for (const char* f : {"EMB_FILE", "PC_LINK"}) ASSERT_TRUE(CreateDirectoryA((other + f).c_str(), nullptr));
    std::string handedBack;
    RunMainDialog(PcFolder("recheck", {{"HEART.kxd", Sample("HEART.kxd")}}), handedBack, [&](UiSync& ui, HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_DRIVE_COMBO), folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        ui.step("opened on the card");
        EXPECT_EQ(ListViewItems(folders).size(), 12u);
        ui.step("the other card refused: the card half emptied");
        ChooseDrive(dialog, combo, other);
        EXPECT_TRUE(AnswerMessageBox("Attention", test::kMigrationText, IDNO));
        ui.wait();
        EXPECT_EQ(ListViewItems(folders).size(), 0u);
        EXPECT_EQ(Text(dialog, IDC_CARD_COUNT), "Selected designs : 0");
        SaveWindowIfAsked(ui, dialog, "card-half-emptied");
        ui.step("Write and Open reach no card");
        ClickListItem(GetDlgItem(dialog, IDC_PC_LIST), 0, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
        ClickControl(dialog, IDC_CARD_OPEN);
        ui.wait();
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_DESIGN_LIST))) << "a folder of the other card opened";
        ui.step("the first card chosen again");
        ChooseDrive(dialog, combo, card);
        ui.wait();
        EXPECT_EQ(ListViewItems(folders).size(), 12u);
        CloseWithCloseBox(dialog);
    });
    EXPECT_FALSE(Exists(card + "EmbF5\\HEART.kxd")) << "Write reached the card no longer chosen";
    EXPECT_EQ(Existing(other, {"EmbF5", "Emb_OrdF.dat"}), "") << "the refused card was changed";
}

// The first entry of the folder listing for `pattern` (".", ".." left out).
std::string FirstListed(const std::string& pattern) {
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return "";
    std::string first;
    do {
        first = found.cFileName;
    } while ((first == "." || first == "..") && FindNextFileA(find, &found));
    FindClose(find);
    return first;
}

// The listing's first entry is wholly among the rows the list shows, and the fixture put it past
// the first page, so the list had to scroll.
void ExpectFirstListedInView(HWND list, const std::string& pattern) {
    const std::string first = FirstListed(pattern);
    const std::vector<ListItem> items = ListViewItems(list);
    int at = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].text == first) at = static_cast<int>(i);
    const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GE(at, page) << first << ": the listing's first entry must sort past the first page";
    EXPECT_GE(at, top) << first << ": scrolled past it";
    EXPECT_LT(at, top + page) << first << ": not scrolled down to it";
}

// Wine lists a folder ignoring case, so a.kxd (and before it the folder 0sub) comes first; the
// lists' byte order puts a.kxd after the upper-case B names and before the c names, and a folder
// after every design. Both lists open scrolled to keep that first entry in view.
TEST(ListScroll, KeepsTheListingsFirstEntryInViewAtItsSortedPlace) {
    const std::string card = CardRoot(), first = card + "EmbF5\\";
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    std::map<std::string, Bytes> files{{"a.kxd", Sample("HEART.kxd")}};
    for (int i = 0; i < 40; ++i) files["B" + std::to_string(100 + i) + ".kxd"] = files["a.kxd"];
    for (int i = 0; i < 10; ++i) files["c" + std::to_string(100 + i) + ".kxd"] = files["a.kxd"];
    EmptyFolder(first);
    for (const auto& [name, bytes] : files) WriteFile(first + name, bytes);
    const std::string pc = PcFolder("scroll", files);
    ASSERT_TRUE(CreateDirectoryA((pc + "0sub").c_str(), nullptr));
    std::string handedBack;
    RunMainDialog(pc, handedBack, [&](UiSync& ui, HWND dialog) {
        ui.step("the PC list");
        ExpectFirstListedInView(GetDlgItem(dialog, IDC_PC_LIST), pc + "*");
        ui.step("the card folder's list");
        ClickControl(dialog, IDC_CARD_OPEN);
        ui.wait();
        ExpectFirstListedInView(GetDlgItem(dialog, IDC_DESIGN_LIST), first + "*.kxd");
        CloseWithCloseBox(dialog);
    });
}

// After FLOWER on hoop B's field (the whole pane) HEART on hoop C's shorter field: below that
// field the pane is grey right to its first column, none of FLOWER's white left there.
TEST(PreviewPane, BelowAShorterFieldThePaneIsGrey) {
    if (CardRoot().empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(CardRoot());
    std::string handedBack;
    RunMainDialog(PcFolder("preview", {{"FLOWER.kxd", Sample("FLOWER.kxd")}, {"HEART.kxd", Sample("HEART.kxd")}}), handedBack,
                  [&](UiSync& ui, HWND dialog) {
        HWND pcList = GetDlgItem(dialog, IDC_PC_LIST), pane = GetDlgItem(dialog, IDC_PREVIEW_PANE);
        ui.step("FLOWER previewed");
        ClickListItem(pcList, 0, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, IDC_HOOP_LABEL), "Hoop Size  B");
        ui.step("HEART previewed after it");
        ClickListItem(pcList, 1, LVIR_LABEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, IDC_HOOP_LABEL), "Hoop Size  C");
        // The canvas is the pane less 10 pixels each way, copied to (1, 1); hoop C's field is w + 6 high.
        RECT r{};
        GetWindowRect(pane, &r);
        const int w = r.right - r.left - 10, h = r.bottom - r.top - 10, field = w + 6;
        ASSERT_LT(field, h);
        HDC dc = GetDC(pane);
        EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255)) << "the field";
        int notGrey = 0;
        std::string firstSeen;
        for (int y = 1 + field; y <= h; ++y)
            for (int x = 1; x <= w; ++x)
                if (GetPixel(dc, x, y) != RGB(192, 192, 192) && !notGrey++)
                    firstSeen = std::to_string(x) + "," + std::to_string(y);
        ReleaseDC(pane, dc);
        EXPECT_EQ(notGrey, 0) << "below the field, first at " << firstSeen;
        SaveWindowIfAsked(ui, dialog, "preview-shorter-field");
        CloseWithCloseBox(dialog);
    });
}

// A host that opens one dialog under the classic common controls and the next under the version 6
// ones (an activation context switched around the call, as MFC hosts do): each dialog's controls
// keep their own kind's procedure, so a click on a picture ticks in both.
TEST(CommonControls, ClassicThenVersion6InOneProcessEachKeepTheirOwnProcedure) {
    if (CardRoot().empty()) GTEST_SKIP() << "outside the Wine rig";
    EmptyFolder(CardRoot());
    const std::string pc = PcFolder("both-kinds", {{"HEART.kxd", Sample("HEART.kxd")}});
    const std::string manifest = pc + "v6.manifest";
    std::ofstream(manifest) << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                               "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
                               "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
                               "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"*\" "
                               "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/></dependentAssembly></dependency></assembly>";
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.lpSource = manifest.c_str();
    HANDLE version6 = CreateActCtxA(&context);
    ASSERT_NE(version6, INVALID_HANDLE_VALUE);
    Steps step;
    for (bool underVersion6 : {false, true}) {
        step(underVersion6 ? "under the version 6 controls" : "under the classic controls");
        ULONG_PTR cookie = 0;
        if (underVersion6) {
            ASSERT_TRUE(ActivateActCtx(version6, &cookie));
        }
        std::string handedBack;
        RunMainDialog(pc, handedBack, [&](UiSync& ui, HWND dialog) {
            SIZE ideal{};
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDCANCEL, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0, underVersion6);
            HWND pcList = GetDlgItem(dialog, IDC_PC_LIST), combo = GetDlgItem(dialog, IDC_DRIVE_COMBO);
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), DriveRow(combo, CardRoot()));
            ChooseDrive(dialog, combo, CardRoot());
            ClickListItem(pcList, 0, LVIR_ICON);
            ui.wait();
            EXPECT_EQ(ListViewItems(GetDlgItem(dialog, IDC_FOLDER_LIST)).size(), 12u);
            EXPECT_EQ(Items(pcList), "HEART.kxd:11");
            EXPECT_EQ(Text(dialog, IDC_PC_COUNT), "Selected designs : 1");
            CloseWithCloseBox(dialog);
        });
        if (underVersion6) DeactivateActCtx(0, cookie);
    }
    ReleaseActCtx(version6);
}

}  // namespace
}  // namespace kx::wintest
