// kxcard.dll under Wine: its export names and version, and its exports' results handed back into
// the host's buffers exactly as a host expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>

#include "harness/harness.h"
#include "resource_ids.h"

namespace kx::wintest {
namespace {

constexpr std::size_t kHostBuffer = 260;

// A host's 260-byte buffer holding `text` (cut to 260 bytes with no NUL), poisoned after it, then 64
// guard bytes the call must not touch.
std::vector<char> HostBuffer(const std::string& text) {
    std::vector<char> memory(kHostBuffer + 64, 'G');
    std::fill_n(memory.begin(), kHostBuffer, static_cast<char>(0xCD));
    std::copy_n(text.c_str(), std::min(text.size() + 1, kHostBuffer), memory.begin());
    return memory;
}

// The text written back; fails unless it ends inside the buffer, the rest is cleared, the guard intact.
std::string WrittenBack(const std::vector<char>& memory) {
    std::size_t end = strnlen(memory.data(), kHostBuffer);
    EXPECT_LT(end, kHostBuffer) << "no NUL in the buffer";
    EXPECT_TRUE(std::all_of(memory.begin() + end, memory.begin() + kHostBuffer, [](char c) { return c == 0; }));
    EXPECT_TRUE(std::all_of(memory.begin() + kHostBuffer, memory.end(), [](char c) { return c == 'G'; }));
    return std::string(memory.data(), end);
}

// A host that loads the library by name finds its exports under their plain names only.
TEST(KxcardDll, ExportsPlainNamesAndCarriesTheProjectVersion) {
    HMODULE dll = GetModuleHandleA("kxcard.dll");
    ASSERT_NE(dll, nullptr);
    for (const char* name : {"ConnectCardDlg", "DirectWriteCard", "DirectFilesWrite", "_ConnectCardDlg", "ConnectCardDlg@8",
                             "_DirectWriteCard", "DirectFilesWrite@12"})
        EXPECT_EQ(GetProcAddress(dll, name) != nullptr, std::isupper(name[0]) && !std::strchr(name, '@')) << name;
    char path[MAX_PATH] = {}, *text = nullptr;
    GetModuleFileNameA(dll, path, MAX_PATH);
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> info(size);
    UINT length = 0;
    ASSERT_TRUE(size && GetFileVersionInfoA(path, 0, size, info.data()) &&
                VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::string(text, strnlen(text, length)), KX_VERSION);
}

// ConnectCardDlg enters a usable folder and hands it back; another (here a buffer full with no NUL)
// comes back as the executable's folder, not entered. DirectFilesWrite hands the name back whole, cut
// to 259 characters or as a default; it gives 0 when no dialog could be made (no such parent window).
TEST(Exports, HandTheirResultsBackIntoTheHostsBuffer) {
    char temp[MAX_PATH] = {}, previous[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    GetCurrentDirectoryA(MAX_PATH, previous);
    const std::string folder = temp + ("kx-exports-" + std::to_string(GetCurrentProcessId())) + "\\";
    EmptyFolder(folder);
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123));
    ASSERT_FALSE(IsWindow(noWindow));
    struct Row { bool connect; HWND parent; std::string in, out; int result; };  // out "": a default name
    const Row rows[] = {{true, nullptr, folder, folder, 1}, {true, nullptr, std::string(kHostBuffer, 'A'), ExecutableFolder(), 1},
                        {false, nullptr, "", "", 1}, {false, noWindow, "", "", 0}, {false, nullptr, "ROSE.kxd", "ROSE.kxd", 1},
                        {false, nullptr, std::string(kHostBuffer, 'N'), std::string(kHostBuffer - 1, 'N'), 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in.substr(0, 40) + (row.parent ? " without a window" : ""));
        ASSERT_TRUE(SetCurrentDirectoryA(temp));
        std::vector<char> buffer = HostBuffer(row.in);
        int result = -1;
        auto call = [&] {
            result = row.connect ? ConnectCardDlg(row.parent, buffer.data())
                                 : DirectFilesWrite(row.parent, buffer.data(), "C:\\kx-no-list.lst");
        };
        // Closed by its close box, or by Close (Cancel).
        const bool entered = row.connect && row.out == folder;
        const char* title = row.connect ? "Write Designs, Read and Erase" : "Write Designs";
        if (row.parent) call();
        else RunDriven(call, [&](UiSync&) { entered ? CloseWithCloseBox(WaitForDialog(title)) : ClickControl(WaitForDialog(title), IDCANCEL); });
        EXPECT_EQ(result, row.result);
        const std::string text = WrittenBack(buffer);
        EXPECT_TRUE(row.out.empty() ? std::regex_match(text, std::regex("[0-9A-Z]{12}\\.kxd")) : text == row.out) << text;
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        EXPECT_EQ(lstrcmpiA((current + std::string("\\")).c_str(), entered ? folder.c_str() : temp), 0) << current;
    }
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(folder.c_str());
}

// An owner that is not a window, never one or destroyed since: no dialog opens and each export
// says so with 0. ConnectCardDlg leaves the host's buffer as it was, DirectWriteCard the host's
// bytes; DirectFilesWrite still hands its name back.
TEST(Exports, OwnerThatIsNoWindowOpensNoDialogAndSaysSo) {
    HWND destroyed = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(destroyed, nullptr);
    DestroyWindow(destroyed);
    for (HWND owner : {destroyed, reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123))}) {
        ASSERT_FALSE(IsWindow(owner));
        std::vector<char> folder = HostBuffer("C:\\"), name = HostBuffer("ROSE.kxd");
        const std::vector<char> folderBefore = folder;
        unsigned char design[] = {1, 2, 3};
        int results[3] = {-1, -1, -1};
        // Were a dialog to open after all, the driver closes it and the test fails.
        RunDriven([&] {
            results[0] = ConnectCardDlg(owner, folder.data());
            results[1] = DirectWriteCard(owner, design, sizeof design, "ROSE.kxd");
            results[2] = DirectFilesWrite(owner, name.data(), "C:\\kx-no-list.lst");
        }, [](UiSync&) {});
        EXPECT_EQ(std::to_string(results[0]) + std::to_string(results[1]) + std::to_string(results[2]), "000");
        EXPECT_EQ(folder, folderBefore);
        EXPECT_EQ(design[0] + design[1] + design[2], 6);
        EXPECT_EQ(WrittenBack(name), "ROSE.kxd");
    }
}

// A start folder written with forward slashes, or relative to the current directory: the PC side
// opens in it (its design listed) and the host gets it back whole, with backslashes. Never
// "My Computer": a folder the PC side cannot place comes back as the host gave it.
TEST(Exports, StartFolderInAnyWindowsSpellingOpensAndComesBackWhole) {
    char temp[MAX_PATH] = {}, previous[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    GetCurrentDirectoryA(MAX_PATH, previous);
    const std::string leaf = "kx-start-" + std::to_string(GetCurrentProcessId()), folder = temp + leaf + "\\";
    EmptyFolder(folder);
    WriteFile(folder + "ROSE.kxd", {1, 2, 3});
    std::string slashes = folder;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    // A path the PC side cannot place (it shows "My Computer") comes back as it was entered.
    const std::string unplaced = "\\\\?\\" + folder;
    for (const auto& [start, back] : {std::pair{slashes, folder}, {leaf, folder}, {unplaced, unplaced}}) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(SetCurrentDirectoryA(temp));
        std::vector<char> buffer = HostBuffer(start);
        int result = -1;
        std::vector<ListItem> listed;
        RunDialog([&] { result = ConnectCardDlg(nullptr, buffer.data()); }, "Write Designs, Read and Erase", [&](UiSync&, HWND dialog) {
            listed = ListViewItems(GetDlgItem(dialog, IDC_PC_LIST));
            CloseWithCloseBox(dialog);
        });
        EXPECT_EQ(result, 1);
        if (start != unplaced) {
            EXPECT_EQ(listed.size(), 1u);
            if (!listed.empty()) {
                EXPECT_EQ(listed[0].text, "ROSE.kxd");
            }
        }
        const std::string text = WrittenBack(buffer);
        EXPECT_EQ(lstrcmpiA(text.c_str(), back.c_str()), 0) << text;
    }
    SetCurrentDirectoryA(previous);
    EmptyFolder(folder);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace kx::wintest
