// Names in the ANSI code page the program runs under (scripts/wine-tests.sh runs it under 932 and
// under 1252): designs and folders whose names a byte-wise reading would split (in 932 the second
// byte of 表 and 能 is 0x5C, the backslash) are written, read back, erased and written directly
// under their own names, typed into the name and rename dialogs, and handed back as given.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/design_builder.h"

namespace kx::wintest {
namespace {

const char* const kMainTitle = "Write Designs, Read and Erase";
const char* const kEraseQuestion = "Are you sure you want to delete the selected designs from the ATA PC Card?";

// One code page's names, as its bytes.
struct Names {
    std::string pcFolder;    // 表示: its first character ends in 0x5C
    std::string readFolder;  // 図表: the folder's name ends in 0x5C
    std::vector<std::string> designs;  // base names: 一覧表 and 能面 hold 0x5C as a second byte
    std::string typedName;   // 能面: typed into the name dialog, given as the host's name
    std::string folderName;  // 表示: typed into the rename dialog, at most 8 bytes
};

Names NamesOfThisCodePage() {
    if (GetACP() == 932)
        return {"\x95\x5C\x8E\xA6", "\x90\x7D\x95\x5C", {"\x88\xEA\x97\x97\x95\x5C", "\x8D\xF7", "\x94\x5C\x96\xCA"},
                "\x94\x5C\x96\xCA", "\x95\x5C\x8E\xA6"};
    return {"Bl\xFCmen", "Gr\xFC\xDF" "e", {"Caf\xE9", "M\xFCller", "\xC9t\xE9"}, "Caf\xE9", "K\xFC" "che"};
}

// The files of `folder` (ending with a backslash), as the system spells them, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Each base name with ".kxd" and, unless `designsOnly`, ".kxt", sorted as FilesIn sorts.
std::vector<std::string> WithExtensions(const std::vector<std::string>& bases, bool designsOnly = false) {
    std::vector<std::string> names;
    for (const std::string& base : bases) {
        names.push_back(base + ".kxd");
        if (!designsOnly) names.push_back(base + ".kxt");
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Through the A-functions, so that the names are taken in the ANSI code page.
void Put(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(written, bytes.size()) << path;
}
Bytes Get(const std::string& path) {
    Bytes bytes(1 << 16);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// A new folder under this program's folder of the temporary folder, ending with a backslash.
std::string NewPcFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = temp + ("kx-cp-" + std::to_string(GetCurrentProcessId())) + "\\";
    CreateDirectoryA(base.c_str(), nullptr);
    const std::string folder = base + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& file : FilesIn(folder)) DeleteFileA((folder + file).c_str());
    return folder;
}

Bytes Design(int variant) { return samples::DesignBuilder().move(0, 0).stitches(10 + variant, 30, 20).end().bytes(); }

// ConnectCardDlg on `start`, `drive` acting once the dialog is up; the host's buffer comes back.
std::string RunMainDialog(const std::string& start, const std::function<void(UiSync&, HWND)>& drive) {
    char folder[MAX_PATH] = {};
    start.copy(folder, MAX_PATH - 1);
    int result = -1;
    RunDialog([&] { result = ConnectCardDlg(nullptr, folder); }, kMainTitle, drive);
    EXPECT_EQ(result, 1);
    return folder;
}

// Types `text` into the dialog on template 106 and presses OK: no refusal comes, the dialog ends.
void EnterAccepted(UiSync& ui, HWND dialog, const std::string& text) {
    SetDlgItemTextA(dialog, IDC_NAME_EDIT, text.c_str());
    ClickControl(dialog, IDOK);
    ui.wait();
    EXPECT_EQ(VisibleDialogs("Rename") + VisibleDialogs("File Name Error"), 0) << "refused: " << text;
    EXPECT_TRUE(WaitForHidden(dialog)) << text;
}

// Presses Write in dialog 105: it writes and closes with no message.
void WriteAndClose(UiSync& ui, HWND dialog) {
    ClickControl(dialog, IDC_WRITE_ARROW);
    ui.wait();
    EXPECT_TRUE(WaitForHidden(dialog)) << "the dialog is still open after Write";
}

// scripts/wine-tests.sh names the code page it runs the program under; a locale the system lacks
// would silently give 1252.
TEST(CodePage, IsTheOneAskedFor) {
    const char* asked = std::getenv("KX_EXPECT_ACP");
    if (!asked) GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(asked)));
}

// The main dialog, started in a folder given without its trailing backslash: every ticked design
// is written with its thumbnail under its own name, read back into a folder whose name ends in
// 0x5C under 932, erased, and a card folder renamed; each start folder comes back as given.
TEST(CodePage, MainDialogWritesReadsErasesAndRenamesUnderTheNamesGiven) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    const Names names = NamesOfThisCodePage();
    EmptyFolder(card);
    const std::string pc = NewPcFolder(names.pcFolder), back = NewPcFolder(names.readFolder), first = card + "EmbF5\\";
    for (std::size_t i = 0; i < names.designs.size(); ++i) Put(pc + names.designs[i] + ".kxd", Design(static_cast<int>(i)));
    Steps step;
    step("written from the PC folder started in");
    std::string handedBack = RunMainDialog(pc.substr(0, pc.size() - 1), [&](UiSync& ui, HWND dialog) {
        HWND pcList = GetDlgItem(dialog, IDC_PC_LIST);
        std::vector<std::string> listed;
        for (const ListItem& item : ListViewItems(pcList)) listed.push_back(item.text);
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, WithExtensions(names.designs, true)) << "the start folder itself is listed";
        ClickControl(dialog, IDC_PC_SELECT_ALL);
        ui.wait();
        ClickControl(dialog, IDC_WRITE_ARROW);
        ui.wait();
        EXPECT_EQ(VisibleDialogs("Attention"), 0) << "a design was passed over";
        CloseWithCloseBox(dialog);
    });
    EXPECT_EQ(handedBack, pc);
    EXPECT_EQ(FilesIn(first), WithExtensions(names.designs));

    step("read back into a folder given without its backslash, erased, a folder renamed");
    const Bytes orderBefore = Get(card + "Emb_OrdF.dat");
    handedBack = RunMainDialog(back.substr(0, back.size() - 1), [&](UiSync& ui, HWND dialog) {
        HWND folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        EXPECT_EQ(Items(GetDlgItem(dialog, IDC_PC_LIST)), "") << "the start folder itself is listed";
        ClickControl(dialog, IDC_CARD_OPEN);
        ClickControl(dialog, IDC_CARD_SELECT_ALL);
        ClickControl(dialog, IDC_READ_ARROW);
        ui.wait();
        EXPECT_EQ(FilesIn(back), WithExtensions(names.designs, true));
        for (const std::string& base : names.designs) EXPECT_EQ(Get(back + base + ".kxd"), Get(first + base + ".kxd")) << base;
        ClickControl(dialog, IDC_CARD_SELECT_ALL);
        ClickControl(dialog, IDC_ERASE);
        EXPECT_TRUE(AnswerMessageBox("Confirm", kEraseQuestion, IDYES));
        ui.wait();
        EXPECT_EQ(FilesIn(first), std::vector<std::string>{});
        ClickControl(dialog, IDC_CARD_OPEN);  // back to the folders
        ui.wait();
        RightClickListItem(folders, 0);
        HWND rename = WaitForDialog("Rename folder");
        ASSERT_NE(rename, nullptr);
        ui.wait();
        EnterAccepted(ui, rename, names.folderName);
        EXPECT_EQ(ListViewItems(folders).at(0).text, names.folderName);
        CloseWithCloseBox(dialog);
    });
    EXPECT_EQ(handedBack, back);
    Bytes order = orderBefore;
    ASSERT_EQ(order.size(), 304u);
    std::fill_n(order.begin() + 160, 8, 0);
    std::copy(names.folderName.begin(), names.folderName.end(), order.begin() + 160);  // folder 0's display name
    EXPECT_EQ(Get(card + "Emb_OrdF.dat"), order);
}

// The host's name, a list's name prefix and a name typed into the name dialog reach the card whole.
TEST(CodePage, DirectWritesKeepTheNamesGiven) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    const Names names = NamesOfThisCodePage();
    EmptyFolder(card);
    const std::string pc = NewPcFolder(names.pcFolder), first = card + "EmbF5\\", list = pc + "designs.lst";
    std::string records;
    for (std::size_t i = 0; i < names.designs.size(); ++i) {
        const std::string path = pc + names.designs[i] + ".kxd";
        Put(path, Design(static_cast<int>(i)));
        records += path + std::string(260 - path.size(), '\0');
    }
    Put(list, Bytes(records.begin(), records.end()));
    Steps step;
    step("DirectWriteCard under the host's name");
    Bytes host = Design(7);
    const std::string hostName = names.typedName + ".kxd";
    RunDialog([&] { DirectWriteCard(nullptr, host.data(), static_cast<unsigned>(host.size()), hostName.c_str()); }, "Write a Design",
              [&](UiSync& ui, HWND dialog) { WriteAndClose(ui, dialog); });
    EXPECT_EQ(FilesIn(first), WithExtensions({names.typedName}));

    for (bool typed : {false, true}) {
        step(typed ? "DirectFilesWrite under a name typed into the name dialog" : "DirectFilesWrite under the host's prefix");
        EmptyFolder(first);
        char name[MAX_PATH] = {};
        if (!typed) names.pcFolder.copy(name, MAX_PATH - 1);
        RunDialog([&] { DirectFilesWrite(nullptr, name, list.c_str()); }, "Write Designs", [&](UiSync& ui, HWND dialog) {
            if (typed) {
                ClickControl(dialog, IDC_NAME_BUTTON);
                HWND entry = WaitForDialog("Kxd Name");
                ASSERT_NE(entry, nullptr);
                ui.wait();
                EnterAccepted(ui, entry, names.typedName);
                EXPECT_EQ(Text(dialog, IDC_DESIGN_NAME), hostName);
            }
            WriteAndClose(ui, dialog);
        });
        const std::string prefix = typed ? names.typedName : names.pcFolder;
        std::vector<std::string> bases;
        for (const std::string& base : names.designs) bases.push_back(prefix + base);
        EXPECT_EQ(FilesIn(first), WithExtensions(bases));
        EXPECT_EQ(std::string(name), typed ? hostName : names.pcFolder);
    }
}

}  // namespace
}  // namespace kx::wintest
