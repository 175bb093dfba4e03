// Drives this process's dialogs from a second thread: find windows by title, act on controls
// by id, read list and tree views, answer message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace kx::wintest {

// How long a helper waits for a window to appear.
inline constexpr DWORD kWaitMs = 10000;

// The visible dialog of this process titled exactly `title`, once it is safe to act on; null
// after `timeoutMs`.
HWND WaitForDialog(const std::string& title, DWORD timeoutMs = kWaitMs);
// The visible message box of this process with this caption and text; null after `timeoutMs`.
HWND WaitForMessageBox(const std::string& caption, const std::string& text, DWORD timeoutMs = kWaitMs);
// Answers the message box with the button `answer` (IDOK, IDCANCEL, IDYES, IDNO): false when
// no such box appeared.
bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer,
                      DWORD timeoutMs = kWaitMs);

// Posts the click of control `id` to its dialog, as a press of a push button does.
void ClickControl(HWND dialog, int id);
// Posts the close box's command to a dialog.
void CloseWithCloseBox(HWND dialog);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// Window classes compare without regard to case.
bool EqualsClass(HWND window, const char* name);
// The dialog's direct child windows in their order (the template's tab order).
std::vector<HWND> ChildWindows(HWND dialog);

struct ListItem {
    std::string text;
    int image = -1;
    LPARAM data = 0;
};
std::vector<ListItem> ListViewItems(HWND list);

struct TreeItem {
    std::string text;
    int image = -1;
    int selectedImage = -1;
    LPARAM data = 0;
    int depth = 0;  // 0 for a root
};
// Every item, parents before their children, in display order.
std::vector<TreeItem> TreeViewItems(HWND tree);

// Lets a driver thread wait until the UI thread has handled everything posted before. Make it
// on the UI thread (the one that will run the modal dialog).
class UiSync {
public:
    UiSync();
    ~UiSync();
    UiSync(const UiSync&) = delete;
    UiSync& operator=(const UiSync&) = delete;

    // From the driver: posts a marker behind earlier posts and waits until the UI thread takes
    // it, from whichever message loop runs then (a message box opened by an action included).
    bool wait(DWORD timeoutMs = kWaitMs);
    DWORD uiThread() const { return uiThread_; }

private:
    DWORD uiThread_;
    HHOOK hook_;
};

// Runs `call` (an export that runs a modal dialog) on this thread while `drive` acts on the
// dialog from a second thread. When `drive` returns and `call` has not, every window left open
// on this thread is closed so the call returns; the test fails on a failed drive then.
void RunDriven(const std::function<void()>& call, const std::function<void(UiSync&)>& drive);

// Environment set by scripts/wine-tests.sh: the letter of the removable drive mapped to a temp
// folder, and of the removable drive with no media. Empty when not set.
std::string CardRoot();
std::string NoMediaRoot();

// The folder of this program, ending with a backslash.
std::string ExecutableFolder();

}  // namespace kx::wintest
