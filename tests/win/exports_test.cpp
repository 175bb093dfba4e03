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
constexpr char kPoison = static_cast<char>(0xCD);
constexpr char kMainTitle[] = "Write Designs, Read and Erase";

// Dialog 101 in template order: id, window class, and the text of the controls nobody addresses.
struct TemplateControl {
    int id;
    const char* windowClass;
    const char* text;
};
constexpr TemplateControl kMainDialogControls[] = {
    {2, "Button", "Close"},       {1062, "ComboBox", nullptr},  {1067, "SysListView32", nullptr},
    {1068, "Button", nullptr},    {1072, "Button", nullptr},    {1006, "Button", nullptr},
    {1001, "ComboBox", nullptr},  {1044, "SysListView32", nullptr}, {1045, "SysListView32", nullptr},
    {1041, "Button", nullptr},    {1005, "Button", nullptr},    {1047, "Button", nullptr},
    {1046, "Button", nullptr},    {1071, "Button", nullptr},    {1070, "Button", nullptr},
    {1003, "Static", nullptr},    {-1, "Button", "Preview"},    {1073, "Static", nullptr},
    {1074, "Static", nullptr},    {-1, "Static", "Read"},       {-1, "Static", "Write"},
    {-1, "Button", "ATA Card"},   {1007, "Static", nullptr},    {1008, "Static", nullptr},
    {1002, "Static", nullptr},    {-1, "Button", "PC"},         {1009, "Static", nullptr},
};

// A host buffer: the text, then poison up to 260 bytes, so a test sees what the call wrote.
std::vector<char> HostBuffer(const std::string& text) {
    std::vector<char> buffer(kHostBuffer, kPoison);
    std::memcpy(buffer.data(), text.c_str(), std::min(text.size() + 1, kHostBuffer));
    return buffer;
}

std::string TextOf(const std::vector<char>& buffer) { return std::string(buffer.data(), strnlen(buffer.data(), buffer.size())); }

// Everything after the text is cleared, up to the 260th byte.
bool ClearedAfterText(const std::vector<char>& buffer) {
    std::size_t end = strnlen(buffer.data(), kHostBuffer);
    return std::all_of(buffer.begin() + end, buffer.begin() + kHostBuffer, [](char c) { return c == 0; });
}

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, path);
    std::string folder(path, std::min<DWORD>(n, MAX_PATH));
    return folder.empty() || folder.back() == '\\' ? folder : folder + '\\';
}

std::uint64_t LocalFileTimeNow() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME time{};
    SystemTimeToFileTime(&local, &time);
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The visible single-design dialog under either of its titles (the list mode retitles it).
HWND WaitForWriteDialog() {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        for (const char* title : {"Write Designs", "Write a Design"})
            if (HWND dialog = WaitForDialog(title, 0)) return dialog;
        Sleep(10);
    }
    return nullptr;
}

void CloseDialog(HWND dialog) {
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear";
    ClickControl(dialog, IDCANCEL);
}

TEST(KxcardDll, LoadsAndExportsPlainNames) {
    KxcardLibrary& library = Kxcard();
    ASSERT_NE(library.module(), nullptr) << "kxcard.dll did not load, error " << GetLastError();
    EXPECT_TRUE(library.complete());
    for (const char* decorated : {"_ConnectCardDlg", "ConnectCardDlg@8", "_DirectWriteCard", "DirectFilesWrite@12"})
        EXPECT_EQ(GetProcAddress(library.module(), decorated), nullptr) << decorated;
}

// Each case starts in a fresh folder and puts the process's current directory back afterwards.
class ConnectCardDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Kxcard().complete());
        previous_ = CurrentDirectory();
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        folder_ = std::string(temp) + "kx-exports-" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        SetCurrentDirectoryA(previous_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // Runs ConnectCardDlg on `buffer`, closing the dialog with `close` once it is visible.
    int RunAndClose(char* buffer, void (*close)(HWND) = [](HWND d) { ClickControl(d, IDCANCEL); }) {
        int result = -1;
        RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, buffer); },
                  [&](UiSync&) {
                      HWND dialog = WaitForDialog(kMainTitle);
                      ASSERT_NE(dialog, nullptr) << "dialog 101 did not appear";
                      close(dialog);
                  });
        return result;
    }

    std::string previous_;
    std::string folder_;
};

TEST_F(ConnectCardDlgTest, OpensMainDialogWithEveryTemplateControl) {
    std::vector<char> buffer = HostBuffer(folder_);
    int result = -1;
    RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, buffer.data()); },
              [&](UiSync&) {
                  HWND dialog = WaitForDialog(kMainTitle);
                  ASSERT_NE(dialog, nullptr) << "dialog 101 did not appear";
                  std::vector<HWND> children = ChildWindows(dialog);
                  ASSERT_EQ(children.size(), std::size(kMainDialogControls));
                  for (std::size_t i = 0; i < children.size(); ++i) {
                      const TemplateControl& expected = kMainDialogControls[i];
                      EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(children[i]))), expected.id) << i;
                      EXPECT_TRUE(EqualsClass(children[i], expected.windowClass))
                          << expected.id << " is a " << ClassName(children[i]);
                      if (expected.text) {
                          EXPECT_EQ(WindowText(children[i]), expected.text) << expected.id;
                      }
                      EXPECT_TRUE(IsWindowVisible(children[i])) << expected.id;
                  }
                  ClickControl(dialog, IDCANCEL);
              });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(TextOf(buffer), folder_);
    EXPECT_TRUE(ClearedAfterText(buffer));
    EXPECT_TRUE(lstrcmpiA(CurrentDirectory().c_str(), folder_.c_str()) == 0) << CurrentDirectory();
}

TEST_F(ConnectCardDlgTest, CloseBoxEndsWithOne) {
    std::vector<char> buffer = HostBuffer(folder_);
    EXPECT_EQ(RunAndClose(buffer.data(), CloseWithCloseBox), 1);
    EXPECT_EQ(TextOf(buffer), folder_);
}

TEST_F(ConnectCardDlgTest, UnusableFolderComesBackAsExecutableFolder) {
    for (const std::string& requested : {std::string(), std::string("C:\\kx-no-such-folder\\"), folder_ + "missing"}) {
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
        std::vector<char> buffer = HostBuffer(requested);
        EXPECT_EQ(RunAndClose(buffer.data()), 1) << requested;
        EXPECT_EQ(TextOf(buffer), ExecutableFolder()) << requested;
        EXPECT_TRUE(ClearedAfterText(buffer)) << requested;
        // The fallback does not enter the executable's folder.
        EXPECT_TRUE(lstrcmpiA(CurrentDirectory().c_str(), folder_.c_str()) == 0) << requested;
    }
}

TEST_F(ConnectCardDlgTest, UnterminatedHostFolderIsCutNeverOverrun) {
    std::vector<char> memory(kHostBuffer + 64, 'G');
    std::fill_n(memory.begin(), kHostBuffer, 'A');
    EXPECT_EQ(RunAndClose(memory.data()), 1);
    EXPECT_EQ(std::string(memory.data(), strnlen(memory.data(), kHostBuffer)), ExecutableFolder());
    EXPECT_TRUE(std::all_of(memory.begin() + kHostBuffer, memory.end(), [](char c) { return c == 'G'; }));
}

// DirectFilesWrite with `name` in a host buffer, closing dialog 105 once it is visible.
int RunDirectFilesWrite(std::vector<char>& name, const char* listFile) {
    int result = -1;
    RunDriven([&] { result = Kxcard().directFilesWrite(nullptr, name.data(), listFile); },
              [&](UiSync&) { CloseDialog(WaitForWriteDialog()); });
    return result;
}

TEST(DirectFilesWrite, EmptyNameComesBackAsDefaultName) {
    ASSERT_TRUE(Kxcard().complete());
    std::vector<char> name = HostBuffer("");
    std::uint64_t before = LocalFileTimeNow();
    EXPECT_EQ(RunDirectFilesWrite(name, "C:\\kx-no-list.lst"), 1);
    std::uint64_t after = LocalFileTimeNow();
    std::string text = TextOf(name);
    ASSERT_TRUE(std::regex_match(text, std::regex("[0-9A-Z]{12}\\.kxd"))) << text;
    std::uint64_t fileTime = std::strtoull(text.substr(0, 12).c_str(), nullptr, 36);
    EXPECT_GE(fileTime, before);
    EXPECT_LE(fileTime, after);
    EXPECT_TRUE(ClearedAfterText(name));
}

TEST(DirectFilesWrite, GivenNameComesBackUnchanged) {
    ASSERT_TRUE(Kxcard().complete());
    std::vector<char> name = HostBuffer("ROSE.kxd");
    EXPECT_EQ(RunDirectFilesWrite(name, "C:\\kx-no-list.lst"), 1);
    EXPECT_EQ(TextOf(name), "ROSE.kxd");
    EXPECT_TRUE(ClearedAfterText(name));
}

TEST(DirectFilesWrite, OverlongNameIsCutToTheHostBuffer) {
    ASSERT_TRUE(Kxcard().complete());
    std::vector<char> memory(kHostBuffer + 64, 'G');
    std::fill_n(memory.begin(), kHostBuffer, 'N');
    int result = -1;
    RunDriven([&] { result = Kxcard().directFilesWrite(nullptr, memory.data(), "C:\\kx-no-list.lst"); },
              [&](UiSync&) { CloseDialog(WaitForWriteDialog()); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(memory.data(), strnlen(memory.data(), kHostBuffer)), std::string(kHostBuffer - 1, 'N'));
    EXPECT_EQ(memory[kHostBuffer - 1], 0);
    EXPECT_TRUE(std::all_of(memory.begin() + kHostBuffer, memory.end(), [](char c) { return c == 'G'; }));
}

// A handle that names no window: the dialog manager shows nothing and ends with 0.
HWND NoWindow() { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123)); }

TEST(DirectFilesWrite, WritesNameBackWhenNoDialogShows) {
    ASSERT_TRUE(Kxcard().complete());
    ASSERT_FALSE(IsWindow(NoWindow()));
    std::vector<char> name = HostBuffer("");
    EXPECT_EQ(Kxcard().directFilesWrite(NoWindow(), name.data(), "C:\\kx-no-list.lst"), 0);
    EXPECT_TRUE(std::regex_match(TextOf(name), std::regex("[0-9A-Z]{12}\\.kxd"))) << TextOf(name);
    EXPECT_TRUE(ClearedAfterText(name));
}

TEST(DirectWriteCard, RunsWriteDialogAndLeavesNameAlone) {
    ASSERT_TRUE(Kxcard().complete());
    std::vector<std::uint8_t> design(116, 0);
    const char name[] = "TULIP.kxd";
    int result = -1;
    RunDriven([&] { result = Kxcard().directWriteCard(nullptr, design.data(), static_cast<std::uint32_t>(design.size()), name); },
              [&](UiSync&) { CloseDialog(WaitForDialog("Write a Design")); });
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(name, "TULIP.kxd");
}

}  // namespace
}  // namespace kx::wintest
