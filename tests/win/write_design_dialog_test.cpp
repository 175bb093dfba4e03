// Dialog 105 and the dialogs it opens, under Wine: the paths a user takes from the host's call to the
// dialog's end, checked on the screen and on the card, and no item record left once it has closed.
// With KX_SCREENSHOTS set the first saves the README's pictures of these dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <regex>

#include "card/order_file.h"
#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/design_builder.h"
#include "support/refused_names.h"
#include "support/thumbnail_expected.h"
#include "transfer/names.h"
#include "ui/win/item_record.h"

namespace kx::wintest {
namespace {

using samples::DesignBuilder;

// Types `text` into a dialog on template 106 and presses OK, answering the refusal `message` under
// `caption` when one is expected: true when the dialog is still open after it.
bool Enter(UiSync& ui, HWND dialog, const std::string& text, const char* caption = nullptr, const std::string& message = {}) {
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, text.c_str());
    ClickControl(dialog, IDOK);
    if (caption) {
        EXPECT_TRUE(AnswerMessageBox(caption, message, IDOK)) << message;
    }
    ui.wait();
    return IsWindowVisible(dialog);
}

// The dialog on template 106 that `open` brings up under `title`, its prompt and text checked.
HWND OpenNameEntry(UiSync& ui, const std::function<void()>& open, const char* title, const char* prompt, const std::string& text) {
    open();
    HWND dialog = WaitForDialog(title);
    ui.wait();
    EXPECT_EQ(Text(dialog, IDC_NAME_PROMPT) + " | " + Text(dialog, IDC_NAME_EDIT), prompt + (" | " + text));
    return dialog;
}

// Runs `call` (an export) on a blank card and drives dialog 105 under `title` once it is up; the
// dialog leaves no item record behind.
void RunWriteDialog(const std::function<void()>& call, const std::string& title,
                    const std::function<void(UiSync&, HWND)>& drive) {
    EmptyFolder(CardRoot());
    const std::size_t records = LiveItemRecords();
    RunDialog(call, title, drive);
    EXPECT_EQ(LiveItemRecords(), records) << "item records outlived the dialog";
}

// Presses Write and answers the box (caption, message) when one is expected: the dialog closes or
// stays as `closes` says; one left open is cancelled.
void WriteAndAnswer(UiSync& ui, HWND dialog, const char* caption, const char* message, bool closes) {
    ClickControl(dialog, IDC_WRITE_ARROW);
    if (message) {
        EXPECT_TRUE(AnswerMessageBox(caption, message, IDOK)) << message;
    }
    // A WM_CLOSE the write posted would come before the second marker.
    const bool open = closes ? !WaitForHidden(dialog) : ui.wait() && ui.wait() && IsWindowVisible(dialog);
    EXPECT_EQ(open, !closes) << "the dialog open after Write";
    if (open) ClickControl(dialog, IDCANCEL);
}

// The folder list of a blank card, the first folder current, its third named `third`.
std::string BlankCardFolders(const std::string& third) {
    std::string line = "EmbF5:2 EmbF6:0 " + third + ":0";
    for (int i = 8; i <= 16; ++i) line += " EmbF" + std::to_string(i) + ":0";
    return line;
}

// The host gives no name. The name dialog refuses a long name and a forbidden character, takes a
// fresh default for an empty entry, then TULIP.old; Cancel keeps it. The rename dialog (a right
// click on the third folder) refuses empty, long and forbidden names and stores nothing on Cancel;
// Roses reaches the order file and the list, the first folder staying current. Write stores the
// host's bytes in the folder clicked, normalised by the host's rule: hoop code 0 becomes A(F) (3),
// margins 630 and 550 less the extents 600, 0, 0, 0. Its thumbnail, written down: hoop A(F) drawn
// 28 * 100 / 126 = 22 units a pixel from (23, 20), thread 10 (0x14) along row 20 from the second
// stitch's pixel (566 / 22 = 25) to the canvas's edge.
TEST(DirectWriteCard, NamedRenamedAndWrittenIntoTheClickedFolder) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    const std::regex defaultName("[0-9A-Z]{12}\\.kxd");
    Bytes host = DesignBuilder().colors({10}).move(0, 0).stitches(10, 60, 0).end().hoopCode(0).bytes();
    const Bytes stored = DesignBuilder().colors({10}).move(0, 0).stitches(10, 60, 0).end().hoopCode(3).margins(30, 550, 630, 550).bytes();
    const std::string longName(37, 'L');
    int result = -1;
    Steps step;
    step("the host's call with no name, driven");
    RunWriteDialog([&] { result = DirectWriteCard(nullptr, host.data(), static_cast<std::uint32_t>(host.size()), ""); },
                   "Write a Design", [&](UiSync& ui, HWND dialog) {
        HWND folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        ui.step("opened with a default name, the card's folders, a tooltip only on Close");
        const std::string first = Text(dialog, IDC_DESIGN_NAME);
        EXPECT_TRUE(std::regex_match(first, defaultName)) << first;
        EXPECT_EQ(ListViewItems(folders).size(), 12u);
        for (int id : {IDCANCEL, IDC_WRITE_ARROW, IDC_NAME_BUTTON, IDC_CARD_OPEN, IDC_FOLDER_LIST})
            EXPECT_EQ(TooltipText(dialog, GetDlgItem(dialog, id)), id == IDCANCEL ? "Cancel" : "(none)") << id;
        SaveWindowIfAsked(ui, dialog, "write-design");
        auto openName = [&] {
            return OpenNameEntry(ui, [&] { ClickControl(dialog, IDC_NAME_BUTTON); }, "Kxd Name",
                                 "Enter the file name to save in ATA Card", Text(dialog, IDC_DESIGN_NAME));
        };
        ui.step("the name dialog refuses a long name and a forbidden character");
        HWND name = openName();
        SaveWindowIfAsked(ui, name, "design-name");
        EXPECT_TRUE(Enter(ui, name, longName, "File Name Error", "The Open/Save Folder does not support the long file names such as \"" +
                          longName + "\".\nPlease shorten the file name to 32 characters or less."));
        EXPECT_TRUE(Enter(ui, name, "ro?se", "Rename", kForbiddenCharactersMessage));
        EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), first);
        ui.step("an empty entry takes a fresh default name");
        Sleep(2);  // the default name has millisecond resolution: the next one differs
        EXPECT_FALSE(Enter(ui, name, ""));
        const std::string fresh = Text(dialog, IDC_DESIGN_NAME);
        EXPECT_TRUE(std::regex_match(fresh, defaultName)) << fresh;
        EXPECT_NE(fresh, first);
        ui.step("TULIP.old taken as TULIP.kxd; Cancel keeps it");
        EXPECT_FALSE(Enter(ui, openName(), "TULIP.old"));
        name = openName();
        SetDlgItemTextA(name, IDC_NAME_EDIT, "OTHER");
        ClickControl(name, IDCANCEL);
        ui.wait();
        EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), "TULIP.kxd");

        ui.step("the rename dialog refuses empty, long and forbidden names and stores nothing on Cancel");
        Bytes order = ReadFile(card + "Emb_OrdF.dat");
        auto openRename = [&] {
            return OpenNameEntry(ui, [&] { RightClickListItem(folders, 2); }, "Rename folder", "To maximum 8 characters", "EmbF7");
        };
        HWND rename = openRename();
        SaveWindowIfAsked(ui, rename, "rename-folder");
        EXPECT_TRUE(Enter(ui, rename, ""));
        EXPECT_TRUE(Enter(ui, rename, "ABCDEFGHI", "Rename", kFolderNameTooLongMessage));
        EXPECT_TRUE(Enter(ui, rename, "Ro|es", "Rename", kForbiddenCharactersMessage));
        EXPECT_EQ(Text(rename, IDC_NAME_EDIT), "Ro|es");
        ClickControl(rename, IDCANCEL);
        ui.wait();
        EXPECT_EQ(ReadFile(card + "Emb_OrdF.dat"), order);
        EXPECT_EQ(Items(folders), BlankCardFolders("EmbF7"));
        ui.step("Roses reaches the order file and the list, the first folder staying current");
        EXPECT_FALSE(Enter(ui, openRename(), "Roses"));
        EXPECT_EQ(Items(folders), BlankCardFolders("Roses"));
        ASSERT_EQ(order.size(), kOrderFileSize);
        std::memcpy(order.data() + 160 + 12 * 2, "Roses\0\0\0", 8);
        EXPECT_EQ(ReadFile(card + "Emb_OrdF.dat"), order);

        ui.step("Write into the clicked folder");
        ClickListItem(folders, 2, LVIR_ICON);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
    });
    step("written: the host's bytes, normalised, and their sheet in the clicked folder only");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadFile(card + "EmbF7\\TULIP.kxd"), stored);
    EXPECT_EQ(ReadFile(card + "EmbF7\\TULIP.kxt"), test::WrittenThumbnail(3, 0, 0, test::DrawnRow(20, 25, 45, 0x14)));
    EXPECT_FALSE(Exists(card + "EmbF5\\TULIP.kxd"));
    EXPECT_EQ(host, stored);  // the host's own bytes are normalised where they lie
}

// Both direct writes (a row with a `name` writes a host design, or none, refused; the others a list file under
// ROSE.kxd) on what a host may hand over badly and on a card that refuses a file (`blocked`, a name taken
// by a folder, fails as on a full card): the message, whether Write closes the dialog, what lands in the
// first folder (never outside it), the list write's name handed back whole.
TEST(DirectWrites, WhatTheHostHandsOverDecidesWhatLandsOnTheCard) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string pc = temp + ("kx-list-" + std::to_string(GetCurrentProcessId())) + "\\", list = pc + "designs.lst";
    EmptyFolder(pc);
    WriteFile(pc + "A1.kxd", DesignBuilder().pairMark('A').move(0, 0).stitches(5, 3, 3).end().bytes());
    WriteFile(pc + "B.kxd", DesignBuilder().move(0, 0).stitches(5, -3, 3).end().normalized().bytes());
    auto ListFile = [](std::initializer_list<std::string> paths) {  // a 260-byte record a path, NUL-padded
        std::string records;
        for (const std::string& p : paths) records += p + std::string(260 - p.size(), '\0');
        return Bytes(records.begin(), records.end());
    };
    Bytes shortList = ListFile({pc + "A1.kxd"}), design = DesignBuilder().move(0, 0).stitches(6, 9, 9).end().bytes();
    shortList.pop_back();
    struct Row { const char* what; std::optional<std::string> name; Bytes list; const char* blocked;
                 const char* caption; const char* message; bool closes; const char* onCard; bool noDesign = false; };
    const Row rows[] = {
        {"folder parts", "..\\..\\EVIL.kxd", {}, nullptr, nullptr, nullptr, true, "EVIL.kxd"},
        {"no design, refused", "EVIL.kxd", {}, nullptr, "Error", "There is an error in a file.\nQuit operation.", false, "", true},
        {"259 characters, refused before anything is written", std::string(259, 'N'), {}, nullptr, "Error", "Out of memory space.", true, ""},
        {"thumbnail refused", "ROSE.kxd", {}, "ROSE.kxt", "Error", "Out of memory space.", true, ""},
        {"two designs, one a pair half", std::nullopt, ListFile({pc + "A1.kxd", pc + "B.kxd"}), nullptr, nullptr,
         nullptr, true, "ROSEA1.kxd ROSEB.kxd ROSEB.kxt"},
        {"list of 259 bytes", std::nullopt, shortList, nullptr, nullptr, nullptr, true, ""},
        {"no list", std::nullopt, {}, nullptr, "Error", "File Open Error.", true, ""},
        {"missing design", std::nullopt, ListFile({pc + "B.kxd", pc + "GONE.kxd"}), nullptr, "Error",
         "There is an error in a file.\nQuit operation.", false, "ROSEB.kxd ROSEB.kxt"},
    };
    Steps step;
    for (const Row& row : rows) {
        step(row.what);
        DeleteFileA(list.c_str());
        if (!row.list.empty()) WriteFile(list, row.list);
        char name[260 + 8];
        std::memset(name, 'G', sizeof name);
        std::strcpy(name, "ROSE.kxd");
        int result = -1;
        auto call = [&] {
            result = row.name ? DirectWriteCard(nullptr, row.noDesign ? nullptr : design.data(),
                                                static_cast<std::uint32_t>(design.size()), row.name->c_str())
                              : DirectFilesWrite(nullptr, name, list.c_str());
        };
        RunWriteDialog(call, row.name ? "Write a Design" : "Write Designs", [&](UiSync& ui, HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), row.name.value_or("ROSE.kxd"));
            if (row.blocked) CreateDirectoryA((card + "EmbF5\\" + row.blocked).c_str(), nullptr);
            WriteAndAnswer(ui, dialog, row.caption, row.message, row.closes);
        });
        EXPECT_EQ(result, 1);
        EXPECT_STREQ(name, "ROSE.kxd");
        EXPECT_EQ(std::string(name + 260, 8), std::string(8, 'G'));
        EXPECT_EQ(Existing(card + "EmbF5\\", {"EVIL.kxd", "ROSE.kxd", "ROSEA1.kxd", "ROSEA1.kxt", "ROSEB.kxd", "ROSEB.kxt"}), row.onCard);
        EXPECT_FALSE(Exists(card + "EVIL.kxd"));
    }
    EmptyFolder(pc);
}

// What the card cannot take never reaches it and leaves what is there alone. A host design named as
// its own thumbnail, or too long for the card (a path there over 259 characters), is refused as a
// failed write before anything is written. A listed device, named as one (COM1, \\.\COM1, COM1:,
// NUL, CON, COM1.kxd in any folder) or one only by what it is (Z:\dev\zero), is never opened as a
// design: the list's refusal and nothing more. The rig maps COM1 to /dev/zero, so a write that
// opened it would store what it read instead of waiting for good on a serial port.
TEST(DirectWrites, DevicesAndNamesTheCardCannotTakeLeaveTheCardAsItWas) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string list = temp + ("kx-devices-" + std::to_string(GetCurrentProcessId()) + ".lst");
    const Bytes rose = DesignBuilder().move(0, 0).stitches(5, 3, 3).end().normalized().bytes(), thumbnail(60, 7);
    const char *failedWrite = "Out of memory space.", *listRefusal = "There is an error in a file.\nQuit operation.";
    struct Row { std::string what; std::optional<std::string> name; const char* message; bool closes; };
    std::vector<Row> rows;
    for (const std::string& name : test::kOwnThumbnailNames) rows.push_back({"named as its own thumbnail, " + name, name, failedWrite, true});
    rows.push_back({"9 + 251 characters on the card", test::kNameTooLongForCard, failedWrite, true});
    for (const std::string& device : test::kDevicePaths) rows.push_back({device, std::nullopt, listRefusal, false});
    for (const std::string& device : test::kDeviceFileNames) rows.push_back({temp + device, std::nullopt, listRefusal, false});
    rows.push_back({"Z:\\dev\\zero", std::nullopt, listRefusal, false});
    Steps step;
    for (const Row& row : rows) {
        step(row.what);
        std::string record = row.what + std::string(260 - row.what.size(), '\0');
        WriteFile(list, Bytes(record.begin(), record.end()));
        Bytes design = DesignBuilder().move(0, 0).stitches(6, 9, 9).end().bytes();
        char name[260] = "ROSE.kxd";
        int result = -1;
        auto call = [&] {
            result = row.name ? DirectWriteCard(nullptr, design.data(), static_cast<std::uint32_t>(design.size()), row.name->c_str())
                              : DirectFilesWrite(nullptr, name, list.c_str());
        };
        RunWriteDialog(call, row.name ? "Write a Design" : "Write Designs", [&](UiSync& ui, HWND dialog) {
            WriteFile(card + "EmbF5\\ROSE.kxd", rose);
            WriteFile(card + "EmbF5\\ROSE.kxt", thumbnail);
            WriteAndAnswer(ui, dialog, "Error", row.message, row.closes);
        });
        EXPECT_EQ(result, 1);
        std::vector<std::string> files;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(card + "EmbF5\\", error))
            if (!entry.is_directory()) files.push_back(entry.path().filename().string());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"ROSE.kxd", "ROSE.kxt"}));
        EXPECT_EQ(ReadFile(card + "EmbF5\\ROSE.kxd"), rose);
        EXPECT_EQ(ReadFile(card + "EmbF5\\ROSE.kxt"), thumbnail);
    }
    DeleteFileA(list.c_str());
}

}  // namespace
}  // namespace kx::wintest
