// kxcard.dll under Wine: it loads with its plain export names and its version, and its exports
// run their dialogs and hand results back into the host's buffers exactly as a host expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <vector>

#include "harness/harness.h"

namespace kx::wintest {
namespace {

constexpr std::size_t kHostBuffer = 260;

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

TEST(KxcardDll, LoadsWithPlainExportNamesAndCarriesTheProjectVersion) {
    ASSERT_TRUE(Kxcard().complete()) << "kxcard.dll did not load or lacks an export";
    for (const char* decorated : {"_ConnectCardDlg", "ConnectCardDlg@8", "_DirectWriteCard", "DirectFilesWrite@12"})
        EXPECT_EQ(Kxcard().find<FARPROC>(decorated), nullptr) << decorated;
    for (const std::string file : {"kxhost.exe", "kxcard.dll"}) {
        const std::string path = ExecutableFolder() + "..\\..\\" + file;
        DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        std::vector<char> info(size);
        char* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(size && GetFileVersionInfoA(path.c_str(), 0, size, info.data()) &&
                    VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text), &length))
            << file;
        EXPECT_EQ(std::string(text, strnlen(text, length)), KX_VERSION) << file;
    }
}

// A usable folder is entered and comes back; another (here one filling the whole buffer with no
// NUL) comes back as the executable's folder, which is not entered.
TEST(ConnectCardDlg, RunsMainDialogAndWritesTheFolderBack) {
    ASSERT_TRUE(Kxcard().complete());
    char temp[MAX_PATH] = {}, previous[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    GetCurrentDirectoryA(MAX_PATH, previous);
    const std::string folder = temp + ("kx-exports-" + std::to_string(GetCurrentProcessId())) + "\\";
    EmptyFolder(folder);
    for (const std::string& requested : {folder, std::string(kHostBuffer, 'A')}) {
        const bool usable = requested == folder;
        ASSERT_TRUE(SetCurrentDirectoryA(temp));
        std::vector<char> buffer = HostBuffer(requested);
        int result = -1;
        RunDriven([&] { result = Kxcard().connectCardDlg(nullptr, buffer.data()); }, [&](UiSync&) {
            HWND dialog = WaitForDialog("Write Designs, Read and Erase");
            usable ? CloseWithCloseBox(dialog) : ClickControl(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(WrittenBack(buffer), usable ? folder : ExecutableFolder());
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        EXPECT_EQ(lstrcmpiA((current + std::string("\\")).c_str(), usable ? folder.c_str() : temp), 0) << current;
    }
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(folder.c_str());
}

std::uint64_t LocalFileTimeNow() {
    SYSTEMTIME local{};
    FILETIME time{};
    GetLocalTime(&local);
    return SystemTimeToFileTime(&local, &time) ? std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime : 0;
}

// The name comes back whole or as a default made during the call (its digits the local time),
// and 0 when no dialog could be made (a handle that names no window).
TEST(DirectFilesWrite, AlwaysWritesTheDesignNameBack) {
    ASSERT_TRUE(Kxcard().complete());
    const HWND noWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123));
    ASSERT_FALSE(IsWindow(noWindow));
    struct Row { HWND parent; std::string name, expected; int result; };  // expected "": a default name
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
        EXPECT_TRUE(fileTime >= before && fileTime <= after) << text;
    }
}

}  // namespace
}  // namespace kx::wintest
