// kxcard.dll under Wine: it loads, its exports run their dialogs and hand results back as a
// host expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <vector>

#include "harness/kxcard_library.h"
#include "harness/ui_driver.h"

namespace kx::wintest {
namespace {

constexpr std::size_t kHostBuffer = 260;

// Dialog 101 in template order: id, window class, and the text of the controls nobody addresses.
// The card half opens in folder view: the design list and its folder label are hidden.
struct TemplateControl { int id; const char* windowClass; const char* text = nullptr; bool hidden = false; };
constexpr TemplateControl kMainDialogControls[] = {
    {2, "Button", "Close"}, {1062, "ComboBox"}, {1067, "SysListView32"}, {1068, "Button"}, {1072, "Button"},
    {1006, "Button"}, {1001, "ComboBox"}, {1044, "SysListView32"}, {1045, "SysListView32", nullptr, true}, {1041, "Button"},
    {1005, "Button"}, {1047, "Button"}, {1046, "Button"}, {1071, "Button"}, {1070, "Button"}, {1003, "Static"},
    {-1, "Button", "Preview"}, {1073, "Static"}, {1074, "Static"}, {-1, "Static", "Read"}, {-1, "Static", "Write"},
    {-1, "Button", "ATA Card"}, {1007, "Static"}, {1008, "Static", nullptr, true}, {1002, "Static"}, {-1, "Button", "PC"},
    {1009, "Static"},
};

// A host's 260-byte buffer holding `text` (cut to the full 260 bytes with no NUL), poisoned
// after it, then 64 guard bytes the call must not touch.
std::vector<char> HostBuffer(const std::string& text) {
    std::vector<char> memory(kHostBuffer + 64, 'G');
    std::fill_n(memory.begin(), kHostBuffer, static_cast<char>(0xCD));
    std::copy_n(text.c_str(), std::min(text.size() + 1, kHostBuffer), memory.begin());
    return memory;
}

// The text the call wrote back; fails the test unless it ends inside the buffer, the rest of
// the 260 bytes is cleared and the guard is intact.
std::string WrittenBack(const std::vector<char>& memory) {
    std::size_t end = strnlen(memory.data(), kHostBuffer);
    EXPECT_LT(end, kHostBuffer) << "no NUL in the buffer";
    EXPECT_TRUE(std::all_of(memory.begin() + end, memory.begin() + kHostBuffer, [](char c) { return c == 0; }));
    EXPECT_TRUE(std::all_of(memory.begin() + kHostBuffer, memory.end(), [](char c) { return c == 'G'; }));
    return std::string(memory.data(), end);
}

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    std::string folder(path, GetCurrentDirectoryA(MAX_PATH, path) < MAX_PATH ? strnlen(path, MAX_PATH) : 0);
    return folder.empty() || folder.back() == '\\' ? folder : folder + '\\';
}

TEST(KxcardDll, LoadsAndExportsPlainNames) {
    ASSERT_TRUE(Kxcard().complete()) << "kxcard.dll did not load or lacks an export";
    for (const char* decorated : {"_ConnectCardDlg", "ConnectCardDlg@8", "_DirectWriteCard", "DirectFilesWrite@12"})
        EXPECT_EQ(Kxcard().find<FARPROC>(decorated), nullptr) << decorated;
}

void ExpectEveryTemplateControl(HWND dialog) {
    std::vector<HWND> children = ChildWindows(dialog);
    ASSERT_EQ(children.size(), std::size(kMainDialogControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const TemplateControl& expected = kMainDialogControls[i];
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(children[i])), expected.id);
        EXPECT_TRUE(EqualsClass(children[i], expected.windowClass)) << ClassName(children[i]);
        EXPECT_EQ(IsWindowVisible(children[i]) == FALSE, expected.hidden);
        if (expected.text) {
            EXPECT_EQ(WindowText(children[i]), expected.text);
        }
    }
}

// A usable folder is entered and comes back; any other comes back as the executable's folder,
// which is not entered. The last row fills the whole buffer with no NUL.
TEST(ConnectCardDlg, RunsMainDialogAndWritesTheFolderBack) {
    ASSERT_TRUE(Kxcard().complete());
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string previous = CurrentDirectory();
    const std::string folder = temp + ("kx-exports-" + std::to_string(GetCurrentProcessId())) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    for (const std::string& requested : {folder, std::string(), std::string("C:\\kx-no-such-folder\\"),
                                         folder + "missing", std::string(kHostBuffer, 'A')}) {
        SCOPED_TRACE(requested.substr(0, 40));
        const bool usable = requested == folder;
        ASSERT_TRUE(SetCurrentDirectoryA(temp));
        std::vector<char> buffer = HostBuffer(requested);
        int result = -1;
        RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, buffer.data()); },
                  [&](UiSync&) {
                      HWND dialog = WaitForDialog("Write Designs, Read and Erase");
                      if (usable) ExpectEveryTemplateControl(dialog);
                      usable ? CloseWithCloseBox(dialog) : ClickControl(dialog, IDCANCEL);
                  });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(WrittenBack(buffer), usable ? folder : ExecutableFolder());
        EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), usable ? folder.c_str() : temp), 0) << CurrentDirectory();
    }
    SetCurrentDirectoryA(previous.c_str());
    RemoveDirectoryA(folder.c_str());
}

std::uint64_t LocalFileTimeNow() {
    SYSTEMTIME local{};
    FILETIME time{};
    GetLocalTime(&local);
    return SystemTimeToFileTime(&local, &time) ? std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime : 0;
}

TEST(DirectFilesWrite, AlwaysWritesTheDesignNameBack) {
    ASSERT_TRUE(Kxcard().complete());
    // A handle that names no window: the dialog manager shows nothing and the call ends with 0.
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123));
    ASSERT_FALSE(IsWindow(noWindow));
    struct Row { HWND parent; std::string name, expected; int result; };  // expected "": a default name made now
    for (const Row& row : {Row{nullptr, "", "", 1}, Row{noWindow, "", "", 0}, Row{nullptr, "ROSE.kxd", "ROSE.kxd", 1},
                           Row{nullptr, std::string(kHostBuffer, 'N'), std::string(kHostBuffer - 1, 'N'), 1}}) {
        SCOPED_TRACE(row.name.substr(0, 12) + (row.parent ? " without a window" : ""));
        std::vector<char> name = HostBuffer(row.name);
        int result = -1;
        std::uint64_t before = LocalFileTimeNow();
        auto call = [&] { result = Kxcard().directFilesWrite(row.parent, name.data(), "C:\\kx-no-list.lst"); };
        if (row.parent) call();
        else RunDriven(call, [](UiSync&) { ClickControl(WaitForDialog("Write Designs"), IDCANCEL); });
        std::uint64_t after = LocalFileTimeNow();
        EXPECT_EQ(result, row.result);
        std::string text = WrittenBack(name);
        if (!row.expected.empty()) {
            EXPECT_EQ(text, row.expected);
            continue;
        }
        ASSERT_TRUE(std::regex_match(text, std::regex("[0-9A-Z]{12}\\.kxd"))) << text;
        std::uint64_t fileTime = std::strtoull(text.substr(0, 12).c_str(), nullptr, 36);
        EXPECT_GE(fileTime, before);
        EXPECT_LE(fileTime, after);
    }
}

}  // namespace
}  // namespace kx::wintest
