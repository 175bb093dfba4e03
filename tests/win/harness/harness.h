// The Windows test programs' harness (linked with kxcard.dll's import library, as a host is): a
// driver thread that acts on this process's dialogs (find windows by title, act on controls by id,
// read list and tree views, answer message boxes); the rig's drives; files; pictures of the dialogs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <kxcard.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

namespace kx::wintest {

// How long a helper waits for a window. No passing test waits it out, so it costs nothing when
// all is well; a program's first dialog in a Wine prefix just made has come after more than 10 s.
inline constexpr DWORD kWaitMs = 30000;

// This process's visible dialog titled exactly `title`, once it is safe to act on; null after kWaitMs.
HWND WaitForDialog(const std::string& title);
// True once `window` is hidden or destroyed (a dialog that ended); false after kWaitMs.
bool WaitForHidden(HWND window);
// Clicks button `answer` of the message box with this caption and text: false when none appeared.
bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer);
// The message box with this caption and text once it is up; null when none appeared.
HWND WaitForMessageBox(const std::string& caption, const std::string& text);
// How many visible dialogs (message boxes included) of this process have the title `title` now.
int VisibleDialogs(const std::string& title);

// Post the click of control `id` (as a push button does), or the close box's command.
void ClickControl(HWND dialog, int id);
void CloseWithCloseBox(HWND dialog);
// Post a left click (and a double click) on item `index`'s part (LVIR_ICON, LVIR_LABEL); a right click.
void ClickListItem(HWND list, int index, int part, bool twice = false);
void RightClickListItem(HWND list, int index);

// The drive combo's row for `root`, as the user reads it; choosing it as the user does (the
// selection, then the change posted to the dialog).
int DriveRow(HWND combo, const std::string& root);
void ChooseDrive(HWND dialog, HWND combo, const std::string& root);

// The text the dialog gives a tooltip asking about `control` (TTN_NEEDTEXTA); "(none)" when none.
std::string TooltipText(HWND dialog, HWND control);
std::string WindowText(HWND window);
inline std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

struct ListItem { std::string text; int image = -1; };
std::vector<ListItem> ListViewItems(HWND list);
// The items in one line, "text:picture" space-separated, for a check that prints them all.
std::string Items(HWND list);
// Every item, parents before their children, in display order; depth 0 for a root.
struct TreeItem { std::string text; int image = -1, depth = 0; };
std::vector<TreeItem> TreeViewItems(HWND tree);

// The named steps of a walk: from `step(name)` on, every failure this thread reports names the step
// (a SCOPED_TRACE that the next step replaces), so a walk goes on past a failure and each one says
// where it happened. Made, used and ended on one thread; RunDriven's driver starts in its caller's step.
class Steps {
public:
    ~Steps();
    void operator()(std::string name, std::source_location at = std::source_location::current());
    void end() { trace_.reset(); }
    const std::string& current() const { return name_; }

private:
    std::string name_ = "(before the first step)";
    std::optional<testing::ScopedTrace> trace_;
};

// Lets a driver thread wait until the UI thread (which made it and runs the modal dialog) has handled
// all posted before: a marker taken from whichever message loop runs then (a message box's too).
struct UiSync {
    UiSync();
    ~UiSync();
    bool wait();
    const DWORD uiThread;
    const HHOOK hook;
    Steps step;  // the driver's steps, named again when it leaves a window open
};

// Runs `call` (an export running a modal dialog) while `drive` acts on it from a second thread. What
// `drive` leaves open is closed so the call returns, and the test fails.
void RunDriven(const std::function<void()>& call, const std::function<void(UiSync&)>& drive);
// RunDriven with `drive` acting once the dialog titled `title` is up (none coming fails the test).
void RunDialog(const std::function<void()>& call, const std::string& title, const std::function<void(UiSync&, HWND)>& drive);

// The keyboard as a user works it: the control with the focus on the dialogs' thread; a key
// pressed there (its press and release posted, as the keyboard sends them) and handled; Tab
// pressed until control `id` of `dialog` has the focus (false when it never gets it).
HWND FocusedControl(const UiSync& ui);
void PressKey(UiSync& ui, WORD key);
bool TabTo(UiSync& ui, HWND dialog, int id);

// The rig's card drive and drive with no media ("E:\", "F:\" from scripts/wine-tests.sh; empty
// outside the rig); the folder of this program.
std::string CardRoot();
std::string NoMediaRoot();
// The missing folder behind the drive without media: made, it puts a card in that drive; a test
// that makes it removes it again. Empty outside the rig.
std::string NoMediaFolder();
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
// Which of `names` exist in `folder` (ending with a backslash), space-separated in the order given.
std::string Existing(const std::string& folder, std::initializer_list<std::string> names);
// Deletes what `folder` holds (and makes it when missing), so each test starts on a blank card.
inline void EmptyFolder(const std::string& folder) {
    std::error_code e;
    std::filesystem::create_directories(folder, e);
    for (const auto& entry : std::filesystem::directory_iterator(folder, e)) std::filesystem::remove_all(entry.path(), e);
}

// Every TLS slot the process can still take but `leaveFree`, held until the object goes: the
// state of a process whose other libraries hold them.
class TakenTlsSlots {
public:
    explicit TakenTlsSlots(std::size_t leaveFree = 0);
    ~TakenTlsSlots();
    TakenTlsSlots(const TakenTlsSlots&) = delete;
    TakenTlsSlots& operator=(const TakenTlsSlots&) = delete;
    std::size_t count() const { return slots_.size(); }

private:
    std::vector<DWORD> slots_;
};
// How many TLS slots the process can still take.
inline std::size_t FreeTlsSlots() { return TakenTlsSlots().count(); }

// When KX_SCREENSHOTS names a folder: draws `window` active and saves what the screen shows of
// it there as <name>.bmp (24-bit), for a person to look at and for the README's pictures.
void SaveWindowIfAsked(UiSync& ui, HWND window, const std::string& name);

}  // namespace kx::wintest
