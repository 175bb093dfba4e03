// Drives this process's dialogs from a second thread: find windows by title, act on controls
// by id, read list and tree views, answer message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kx::wintest {

// How long a helper waits for a window to appear.
inline constexpr DWORD kWaitMs = 10000;

// The visible dialog of this process titled exactly `title`, or the message box with this
// caption and text, once it is safe to act on; null after `timeoutMs`.
HWND WaitForDialog(const std::string& title, DWORD timeoutMs = kWaitMs);
HWND WaitForMessageBox(const std::string& caption, const std::string& text, DWORD timeoutMs = kWaitMs);
// True once `window` is hidden or destroyed (a dialog that ended); false after `timeoutMs`.
bool WaitForHidden(HWND window, DWORD timeoutMs = kWaitMs);
// The first visible dialog of process `process` for which `match` holds, or null after `timeoutMs`.
HWND WaitForProcessDialog(DWORD process, const std::function<bool(HWND)>& match, DWORD timeoutMs = kWaitMs);
// Clicks the box's button `answer` (IDOK, IDCANCEL, IDYES, IDNO): false when no such box appeared.
bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer, DWORD timeoutMs = kWaitMs);

// Post the click of control `id` (as a press of a push button does), or the close box's command.
void ClickControl(HWND dialog, int id);
void CloseWithCloseBox(HWND dialog);

// Posts a press and release of the left button on item `index`'s part (LVIR_ICON, LVIR_LABEL)
// of a list view, as a click does, optionally followed by a double click.
void ClickListItem(HWND list, int index, int part, bool twice = false);
// The same with the right button.
void RightClickListItem(HWND list, int index);

// The text the dialog gives a tooltip asking about `control` (TTN_NEEDTEXTA sent to the
// dialog); "(none)" when it leaves the request unanswered.
std::string TooltipText(HWND dialog, HWND control);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
bool EqualsClass(HWND window, const char* name);  // without regard to case
// The dialog's direct child windows in their order (the template's tab order).
std::vector<HWND> ChildWindows(HWND dialog);

struct ListItem { std::string text; int image = -1; LPARAM data = 0; };
std::vector<ListItem> ListViewItems(HWND list);

// Every item, parents before their children, in display order; depth 0 for a root.
struct TreeItem { std::string text; int image = -1, selectedImage = -1; LPARAM data = 0; int depth = 0; };
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
// scripts/wine-tests.sh); empty outside the rig.
std::string CardRoot();
std::string NoMediaRoot();
// The folder of this program, ending with a backslash.
std::string ExecutableFolder();

}  // namespace kx::wintest
