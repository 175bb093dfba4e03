// The Windows test programs' harness: kxcard.dll as a host loads it; a driver thread that acts on
// this process's dialogs (find windows by title, act on controls by id, read list and tree views,
// answer message boxes); the rig's drives; files; pictures of the dialogs.
#pragma once

#include <windows.h>

#include <kxcard.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kx::wintest {

struct KxcardLibrary {
    HMODULE module = LoadLibraryA("kxcard.dll");

    template <class Fn>
    Fn find(const char* name) const {
        FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    }
    decltype(&ConnectCardDlg) connectCardDlg = find<decltype(&ConnectCardDlg)>("ConnectCardDlg");
    decltype(&DirectWriteCard) directWriteCard = find<decltype(&DirectWriteCard)>("DirectWriteCard");
    decltype(&DirectFilesWrite) directFilesWrite = find<decltype(&DirectFilesWrite)>("DirectFilesWrite");

    bool complete() const { return module && connectCardDlg && directWriteCard && directFilesWrite; }
};

// The library, loaded on first use (by its plain export names) and kept for the program's life.
inline KxcardLibrary& Kxcard() {
    static KxcardLibrary library;
    return library;
}

inline constexpr DWORD kWaitMs = 10000;  // how long a helper waits for a window

// The first visible dialog of process `process` for which `match` holds, once it is safe to act
// on; null after `timeoutMs`.
HWND WaitForProcessDialog(DWORD process, const std::function<bool(HWND)>& match, DWORD timeoutMs = kWaitMs);
// This process's visible dialog titled exactly `title`.
HWND WaitForDialog(const std::string& title, DWORD timeoutMs = kWaitMs);
// True once `window` is hidden or destroyed (a dialog that ended); false after `timeoutMs`.
bool WaitForHidden(HWND window, DWORD timeoutMs = kWaitMs);
// Clicks button `answer` of the message box with this caption and text: false when none appeared.
bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer, DWORD timeoutMs = kWaitMs);

// Post the click of control `id` (as a press of a push button does), or the close box's command.
void ClickControl(HWND dialog, int id);
void CloseWithCloseBox(HWND dialog);
// Post a press and release of the left button on item `index`'s part (LVIR_ICON, LVIR_LABEL)
// of a list view, optionally followed by a double click; the same with the right button.
void ClickListItem(HWND list, int index, int part, bool twice = false);
void RightClickListItem(HWND list, int index);

// The text the dialog gives a tooltip asking about `control` (TTN_NEEDTEXTA sent to the
// dialog); "(none)" when it leaves the request unanswered.
std::string TooltipText(HWND dialog, HWND control);
std::string WindowText(HWND window);

struct ListItem { std::string text; int image = -1; };
std::vector<ListItem> ListViewItems(HWND list);
// One field of every item: ListColumn(list, &ListItem::text).
template <class T>
std::vector<T> ListColumn(HWND list, T ListItem::*field) {
    std::vector<T> values;
    for (const ListItem& item : ListViewItems(list)) values.push_back(item.*field);
    return values;
}
// Every item, parents before their children, in display order; depth 0 for a root.
struct TreeItem { std::string text; int image = -1, depth = 0; };
std::vector<TreeItem> TreeViewItems(HWND tree);

// Lets a driver thread wait until the UI thread (the one that made it and runs the modal
// dialog) has handled everything posted before: wait() posts a marker and returns once that
// thread takes it, from whichever message loop runs then (a message box's included).
class UiSync {
public:
    UiSync();
    ~UiSync();
    bool wait(DWORD timeoutMs = kWaitMs);
    DWORD uiThread() const { return uiThread_; }

private:
    DWORD uiThread_;
    HHOOK hook_;
};

// Runs `call` (an export that runs a modal dialog) on this thread while `drive` acts on the
// dialog from a second thread. When `drive` returns and `call` has not, every window left open
// on this thread is closed so the call returns, and the test fails.
void RunDriven(const std::function<void()>& call, const std::function<void(UiSync&)>& drive);

// The roots ("E:\") of the rig's removable card drive and of its drive with no media (from
// scripts/wine-tests.sh); empty outside the rig. The folder of this program.
std::string CardRoot();
std::string NoMediaRoot();
std::string ExecutableFolder();

using Bytes = std::vector<std::uint8_t>;
inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}
// The whole file; empty when it cannot be read.
inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline bool Exists(const std::string& path) { std::error_code e; return std::filesystem::exists(path, e); }
inline bool IsFolder(const std::string& path) { std::error_code e; return std::filesystem::is_directory(path, e); }
// Deletes what `folder` holds (and makes it when missing), so each test starts on a blank card.
inline void EmptyFolder(const std::string& folder) {
    std::error_code e;
    std::filesystem::create_directories(folder, e);
    for (const auto& entry : std::filesystem::directory_iterator(folder, e)) std::filesystem::remove_all(entry.path(), e);
}

// When KX_SCREENSHOTS names a folder: draws `window` active and saves what the screen shows of
// it there as <name>.bmp (24-bit), for a person to look at and for the README's pictures.
void SaveWindowIfAsked(UiSync& ui, HWND window, const std::string& name);

}  // namespace kx::wintest
