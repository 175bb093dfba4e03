// Dialog 105 and the dialogs it opens, under Wine: each test is one path a user takes from the
// host's call to the dialog's end, checked on the screen and on the card.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <regex>

#include "card/order_file.h"
#include "design/design_header.h"
#include "harness/card_files.h"
#include "harness/kxcard_library.h"
#include "harness/screen_capture.h"
#include "harness/ui_driver.h"
#include "render/thumbnail.h"
#include "resource_ids.h"
#include "samples/design_builder.h"
#include "transfer/names.h"

namespace kx::wintest {
namespace {

using samples::DesignBuilder;

const std::regex kDefaultName("[0-9A-Z]{12}\\.kxd");

std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// Types `text` into the edit of a dialog on template 106 and presses OK.
void EnterName(HWND dialog, const std::string& text, UiSync& ui) {
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, text.c_str());
    ClickControl(dialog, IDOK);
    ui.wait();
}

// The name dialog from the Name button; it opens on the name the field shows.
HWND OpenNameDialog(HWND writeDialog) {
    ClickControl(writeDialog, IDC_NAME_BUTTON);
    HWND nameDialog = WaitForDialog("Kxd Name");
    EXPECT_NE(nameDialog, nullptr);
    EXPECT_EQ(Text(nameDialog, IDC_NAME_EDIT), Text(writeDialog, IDC_DESIGN_NAME));
    EXPECT_EQ(Text(nameDialog, IDC_NAME_PROMPT), "Enter the file name to save in ATA Card");
    return nameDialog;
}

// Runs `call` (an export) and drives dialog 105 under `title` once it is up; the card starts blank.
void RunWriteDialog(const std::function<void()>& call, const char* title,
                    const std::function<void(UiSync&, HWND)>& drive) {
    EmptyFolder(CardRoot());
    RunDriven(call, [&](UiSync& ui) {
        HWND dialog = WaitForDialog(title);
        ASSERT_NE(dialog, nullptr);
        ui.wait();
        drive(ui, dialog);
    });
}

// After Write: the dialog closed itself, or it stays open and the user closes it.
void ExpectWriteEnded(UiSync& ui, HWND dialog, bool closes) {
    if (closes) {
        EXPECT_TRUE(WaitForHidden(dialog));
        return;
    }
    ui.wait();
    ui.wait();  // a WM_CLOSE the write posted would have come before this marker
    EXPECT_TRUE(IsWindowVisible(dialog));
    ClickControl(dialog, IDCANCEL);
}

// The host gives no name: the default shows; the user refuses a long name and a forbidden
// character, takes a fresh default with an empty entry, then TULIP.old, cancels a last change,
// clicks the third folder and writes. The host's bytes come back normalised and land there.
TEST(DirectWriteCard, NamedByTheUserAndWrittenIntoTheClickedFolder) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    Bytes host = DesignBuilder().move(0, 0).stitches(10, 60, 60).end().hoopCode(0).bytes();
    const std::string longName(37, 'L');
    int result = -1;
    RunWriteDialog([&] { result = Kxcard().directWriteCard(nullptr, host.data(), static_cast<std::uint32_t>(host.size()), ""); },
                   "Write a Design", [&](UiSync& ui, HWND dialog) {
        const std::string first = Text(dialog, IDC_DESIGN_NAME);
        EXPECT_TRUE(std::regex_match(first, kDefaultName)) << first;
        EXPECT_EQ(ListViewItems(GetDlgItem(dialog, IDC_FOLDER_LIST)).size(), 12u);
        for (int id : {IDCANCEL, IDC_WRITE_ARROW, IDC_NAME_BUTTON, IDC_CARD_OPEN, IDC_FOLDER_LIST})
            EXPECT_EQ(TooltipText(dialog, GetDlgItem(dialog, id)), id == IDCANCEL ? "Cancel" : "(none)") << id;
        SaveScreenshotIfAsked("write-a-design");

        HWND nameDialog = OpenNameDialog(dialog);
        SaveScreenshotIfAsked("kxd-name");
        EnterName(nameDialog, longName, ui);
        EXPECT_TRUE(AnswerMessageBox("File Name Error", "The Open/Save Folder does not support the long file names such as \"" +
                                     longName + "\".\nPlease shorten the file name to 32 characters or less.", IDOK));
        EnterName(nameDialog, "ro?se", ui);
        EXPECT_TRUE(AnswerMessageBox("Rename", kForbiddenCharactersMessage, IDOK));
        ui.wait();
        EXPECT_TRUE(IsWindowVisible(nameDialog));
        EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), first);
        Sleep(2);  // the default name has millisecond resolution: the next one differs
        EnterName(nameDialog, "", ui);
        const std::string fresh = Text(dialog, IDC_DESIGN_NAME);
        EXPECT_TRUE(std::regex_match(fresh, kDefaultName) && fresh != first) << fresh;
        EnterName(OpenNameDialog(dialog), "TULIP.old", ui);
        EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), "TULIP.kxd");
        HWND cancelled = OpenNameDialog(dialog);
        SetDlgItemTextA(cancelled, IDC_NAME_EDIT, "OTHER");
        ClickControl(cancelled, IDCANCEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), "TULIP.kxd");

        ClickListItem(GetDlgItem(dialog, IDC_FOLDER_LIST), 2, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
    });
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(DesignHeader::parse(host).has_value());
    EXPECT_EQ(DesignHeader::parse(host)->hoopCode(), 3u);
    EXPECT_EQ(ReadFile(card + "EmbF7\\TULIP.kxd"), host);
    EXPECT_EQ(ReadFile(card + "EmbF7\\TULIP.kxt"), MakeThumbnailRecord(host).value_or(Bytes{1}));
    EXPECT_FALSE(Exists(card + "EmbF5\\TULIP.kxd"));
}

// What the host may hand over badly, and a card that refuses the thumbnail: the design stays
// inside the current folder or is not written at all, never a crash. `blocked` is a card file
// name taken by a folder before Write, so writing it fails as on a full card.
TEST(DirectWriteCard, BadHostInputAndAFailedWrite) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    struct Row { const char* what; bool design; std::string name; const char* blocked; bool closes;
                 std::vector<std::string> onCard; };
    const Row rows[] = {
        {"no design, folder parts", false, "..\\..\\EVIL.kxd", nullptr, true, {"EVIL.kxd"}},
        {"259 characters", true, std::string(259, 'N'), nullptr, false, {}},
        {"thumbnail refused", true, "ROSE.kxd", "ROSE.kxt", true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Bytes design = DesignBuilder().move(0, 0).stitches(6, 9, 9).end().bytes();
        int result = -1;
        RunWriteDialog([&] { result = Kxcard().directWriteCard(nullptr, row.design ? design.data() : nullptr, 500, row.name.c_str()); },
                       "Write a Design", [&](UiSync& ui, HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), row.name);
            if (row.blocked) CreateDirectoryA((card + "EmbF5\\" + row.blocked).c_str(), nullptr);
            ClickControl(dialog, IDC_WRITE_ARROW);
            if (row.blocked) {
                EXPECT_TRUE(AnswerMessageBox("Error", "Out of memory space.", IDOK));
            }
            ExpectWriteEnded(ui, dialog, row.closes);
        });
        EXPECT_EQ(result, 1);
        std::vector<std::string> onCard;
        for (const char* file : {"EVIL.kxd", "ROSE.kxd"})
            if (Exists(card + "EmbF5\\" + file)) onCard.push_back(file);
        EXPECT_EQ(onCard, row.onCard);
        EXPECT_FALSE(Exists(card + "EVIL.kxd"));
        if (!row.design) {
            EXPECT_EQ(ReadFile(card + "EmbF5\\EVIL.kxd").size(), 0u) << "no design: no bytes";
        }
    }
}

Bytes ListFile(const std::vector<std::string>& paths) {
    Bytes out;
    for (const std::string& p : paths) {
        out.insert(out.end(), p.begin(), p.end());
        out.resize(out.size() + 260 - p.size());
    }
    return out;
}

// A list of two designs (one a pair half, which gets no thumbnail), a list of 259 bytes, a
// missing list and a record naming a missing file: the messages, what lands in the first
// folder, whether Write closes the dialog, and the name handed back whole.
TEST(DirectFilesWrite, ListFilesWrittenUnderTheNamePrefix) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string pc = temp + ("kx-list-" + std::to_string(GetCurrentProcessId())) + "\\";
    ASSERT_TRUE(CreateDirectoryA(pc.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    WriteFile(pc + "A1.kxd", DesignBuilder().pairMark('A').move(0, 0).stitches(5, 3, 3).end().bytes());
    WriteFile(pc + "B.kxd", DesignBuilder().move(0, 0).stitches(5, -3, 3).end().normalized().bytes());
    Bytes shortList = ListFile({pc + "A1.kxd"});
    shortList.pop_back();

    struct Case { const char* what; std::optional<Bytes> list; const char* caption; const char* message;
                  bool closes; std::vector<std::string> onCard; };
    const Case cases[] = {
        {"two designs", ListFile({pc + "A1.kxd", pc + "B.kxd"}), nullptr, nullptr, true,
         {"ROSEA1.kxd", "ROSEB.kxd", "ROSEB.kxt"}},
        {"259 bytes", shortList, nullptr, nullptr, true, {}},
        {"no list", std::nullopt, "Error", "File Open Error.", true, {}},
        {"missing design", ListFile({pc + "B.kxd", pc + "GONE.kxd"}), "Error",
         "There is an error in a file.\nQuit operation.", false, {"ROSEB.kxd", "ROSEB.kxt"}},
    };
    const std::string listPath = pc + "designs.lst";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(listPath.c_str());
        if (c.list) WriteFile(listPath, *c.list);
        char name[260 + 8];
        std::memset(name, 'G', sizeof name);
        std::strcpy(name, "ROSE.kxd");
        int result = -1;
        RunWriteDialog([&] { result = Kxcard().directFilesWrite(nullptr, name, listPath.c_str()); }, "Write Designs",
                       [&](UiSync& ui, HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), "ROSE.kxd");
            ClickControl(dialog, IDC_WRITE_ARROW);
            if (c.message) {
                EXPECT_TRUE(AnswerMessageBox(c.caption, c.message, IDOK));
            }
            ExpectWriteEnded(ui, dialog, c.closes);
        });
        EXPECT_EQ(result, 1);
        EXPECT_STREQ(name, "ROSE.kxd");
        EXPECT_EQ(std::string(name + 260, 8), std::string(8, 'G'));
        std::vector<std::string> onCard;
        for (const char* file : {"ROSEA1.kxd", "ROSEA1.kxt", "ROSEB.kxd", "ROSEB.kxt"})
            if (Exists(card + "EmbF5\\" + file)) onCard.push_back(file);
        EXPECT_EQ(onCard, c.onCard);
    }
    EmptyFolder(pc);
    RemoveDirectoryA(pc.c_str());
}

// A right click on the third folder opens the rename dialog on its name; empty, long and
// forbidden entries are refused and Cancel stores nothing; then Roses reaches the order file
// and the list at once, and the first folder stays current.
TEST(FolderRename, RefusalsCancelThenANewNameOnTheCard) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    ASSERT_TRUE(Kxcard().complete());
    Bytes design = DesignBuilder().move(0, 0).stitches(4, 2, 2).end().bytes();
    OrderFile blank;
    blank.assign(OrderFile::DefaultImage());
    const std::string oldName = blank.displayName(2);
    Bytes order;
    RunWriteDialog([&] { Kxcard().directWriteCard(nullptr, design.data(), static_cast<std::uint32_t>(design.size()), "A.kxd"); },
                   "Write a Design", [&](UiSync& ui, HWND dialog) {
        HWND folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        order = ReadFile(card + "Emb_OrdF.dat");
        auto openRename = [&] {
            RightClickListItem(folders, 2);
            HWND rename = WaitForDialog("Rename folder");
            EXPECT_NE(rename, nullptr);
            EXPECT_EQ(Text(rename, IDC_NAME_PROMPT), "To maximum 8 characters");
            EXPECT_EQ(Text(rename, IDC_NAME_EDIT), oldName);
            return rename;
        };
        HWND rename = openRename();
        ui.wait();
        SaveScreenshotIfAsked("rename-folder");
        EnterName(rename, "", ui);
        EnterName(rename, "ABCDEFGHI", ui);
        EXPECT_TRUE(AnswerMessageBox("Rename", kFolderNameTooLongMessage, IDOK));
        EnterName(rename, "Ro|es", ui);
        EXPECT_TRUE(AnswerMessageBox("Rename", kForbiddenCharactersMessage, IDOK));
        ui.wait();
        EXPECT_TRUE(IsWindowVisible(rename));
        EXPECT_EQ(Text(rename, IDC_NAME_EDIT), "Ro|es");
        ClickControl(rename, IDCANCEL);
        ui.wait();
        EXPECT_EQ(ReadFile(card + "Emb_OrdF.dat"), order);
        EXPECT_EQ(ListViewItems(folders)[2].text, oldName);

        EnterName(openRename(), "Roses", ui);
        EXPECT_EQ(ListViewItems(folders)[2].text, "Roses");
        // The pressed folder does not become current: the first keeps the open folder's picture.
        std::vector<ListItem> items = ListViewItems(folders);
        EXPECT_TRUE(items[0].image == 2 && items[2].image == 0) << items[0].image << ' ' << items[2].image;
        ClickControl(dialog, IDCANCEL);
    });
    ASSERT_EQ(order.size(), kOrderFileSize);
    std::memcpy(order.data() + 160 + 12 * 2, "Roses\0\0\0", 8);
    EXPECT_EQ(ReadFile(card + "Emb_OrdF.dat"), order);
}

}  // namespace
}  // namespace kx::wintest
