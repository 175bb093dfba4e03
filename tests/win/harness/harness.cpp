// The dialog-driving harness of the Windows test programs, and the window pictures.
#include "harness/harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace kx::wintest {

namespace {

constexpr UINT kMarker = WM_APP + 0x3A5C;
thread_local const Steps* t_steps = nullptr;  // the steps this thread last named one of
std::atomic<unsigned> g_markersPosted{0}, g_markersSeen{0};

LRESULT CALLBACK MarkerHook(int code, WPARAM removal, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && !msg->hwnd && msg->message == kMarker)
        g_markersSeen.store(static_cast<unsigned>(msg->wParam));
    return CallNextHookEx(nullptr, code, removal, lParam);
}

// EnumThreadWindows' callback (a WINAPI function: no lambda converts to one on x86) backing out
// of a visible window the driver left open; `param` points to the flag it sets.
BOOL CALLBACK CloseLeftOpen(HWND window, LPARAM param) {
    if (!IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool*>(param) = true;
    for (int id : {IDCANCEL, IDNO, IDOK})
        if (GetDlgItem(window, id)) return ClickControl(window, id), TRUE;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// One driver thread for the whole program, running one job at a time. With a thread per run,
// gtest's per-thread state (a step's trace) could be freed under a run: gtest frees an ended
// thread's state later, from a watcher, by thread id, and the next thread may have that id.
class DriverThread {
public:
    DriverThread() {
        std::thread([this] {
            std::unique_lock lock(mutex_);
            for (;;) {
                changed_.wait(lock, [&] { return job_ != nullptr; });
                lock.unlock();
                job_();
                lock.lock();
                job_ = nullptr;
                changed_.notify_all();
            }
        }).detach();
    }
    void start(std::function<void()> job) {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
        changed_.notify_all();
    }
    void join() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return job_ == nullptr; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
};

DriverThread& Driver() {
    static DriverThread* driver = new DriverThread;  // never ended: it waits for the next job
    return *driver;
}

// Checks `done` every 10 ms: true once it holds, false when it still does not after `timeoutMs`.
bool Poll(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
    }
}

void CollectTree(HWND tree, HTREEITEM node, int depth, std::vector<TreeItem>& items) {
    for (; node; node = TreeView_GetNextSibling(tree, node)) {
        char text[520] = {};
        TVITEMA item{TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE, node, 0, 0, text, sizeof text, 0, 0, 0, 0};
        if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
        items.push_back({item.pszText, item.iImage, depth});
        CollectTree(tree, TreeView_GetChild(tree, node), depth + 1, items);
    }
}

std::string DriveRoot(const char* variable) {
    const char* letter = std::getenv(variable);
    return letter && *letter ? std::string(1, *letter) + ":\\" : std::string();
}

// Posts mouse messages (message, button state) at the middle of item `index`'s part of a list view.
void PostMouse(HWND list, int index, int part, std::initializer_list<std::pair<UINT, WPARAM>> messages) {
    RECT r{};
    r.left = part;
    SendMessageA(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    for (auto [message, buttons] : messages)
        PostMessageA(list, message, buttons, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

// This process's first visible dialog for which `match` holds.
HWND WaitForOwnDialog(const std::function<bool(HWND)>& match) {
    HWND found = nullptr;
    Poll([&] {
        for (found = FindWindowExA(nullptr, nullptr, "#32770", nullptr); found;
             found = FindWindowExA(nullptr, found, "#32770", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == GetCurrentProcessId() && IsWindowVisible(found) && match(found)) return true;
        }
        return false;
    }, kWaitMs);
    return found;
}

}  // namespace

HWND WaitForDialog(const std::string& title) { return WaitForOwnDialog([&](HWND w) { return WindowText(w) == title; }); }

bool WaitForHidden(HWND window) { return Poll([&] { return !IsWindowVisible(window); }, kWaitMs); }

HWND WaitForMessageBox(const std::string& caption, const std::string& text) {
    return WaitForOwnDialog([&](HWND w) {
        HWND label = FindWindowExA(w, nullptr, "Static", text.c_str());  // found ignoring case, then compared exactly
        return WindowText(w) == caption && label && WindowText(label) == text;
    });
}

bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer) {
    HWND box = WaitForMessageBox(caption, text);
    if (box) ClickControl(box, answer);
    return box != nullptr;
}

namespace {

GUITHREADINFO GuiThreadInfo(const UiSync& ui) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(ui.uiThread, &info)) info = {};
    return info;
}

}  // namespace

HWND FocusedControl(const UiSync& ui) { return GuiThreadInfo(ui).hwndFocus; }

void PressKey(UiSync& ui, WORD key) {
    // Without a focus (none given yet) keys go to the active window.
    const GUITHREADINFO info = GuiThreadInfo(ui);
    HWND focus = info.hwndFocus ? info.hwndFocus : info.hwndActive;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(focus, WM_KEYDOWN, key, scan | 1);  // a repeat count of 1
    PostMessageA(focus, WM_KEYUP, key, scan | 1 | 0xC0000000);  // the key was down and is released
    ui.wait();
}

bool TabTo(UiSync& ui, HWND dialog, int id) {
    HWND target = GetDlgItem(dialog, id);
    for (int presses = 0; presses <= 40 && FocusedControl(ui) != target; ++presses) PressKey(ui, VK_TAB);
    return FocusedControl(ui) == target;
}

int VisibleDialogs(const std::string& title) {
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        count += owner == GetCurrentProcessId() && IsWindowVisible(w) && WindowText(w) == title;
    }
    return count;
}

void ClickControl(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CloseWithCloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

void ClickListItem(HWND list, int index, int part, bool twice) {
    PostMouse(list, index, part, {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
    if (twice) PostMouse(list, index, part, {{WM_LBUTTONDBLCLK, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
}

// The list keeps the capture through a modal loop the press opens until a button message comes.
void RightClickListItem(HWND list, int index) {
    PostMouse(list, index, LVIR_LABEL, {{WM_RBUTTONDOWN, MK_RBUTTON}, {WM_RBUTTONUP, 0}});
}

int DriveRow(HWND combo, const std::string& root) {
    return static_cast<int>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>((root + " (Removable Disk)").c_str())));
}

void ChooseDrive(HWND dialog, HWND combo, const std::string& root) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(DriveRow(combo, root)), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::string TooltipText(HWND dialog, HWND control) {
    static char poison[] = "(none)";
    NMTTDISPINFOA info{};
    info.hdr = {control, static_cast<UINT_PTR>(reinterpret_cast<std::uintptr_t>(control)), TTN_NEEDTEXTA};
    info.lpszText = poison;
    SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return info.lpszText;
}

std::string WindowText(HWND window) {
    char text[1024];
    return std::string(text, std::max(GetWindowTextA(window, text, sizeof text), 0));
}

std::vector<ListItem> ListViewItems(HWND list) {
    std::vector<ListItem> items;
    for (int i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i) {
        char text[520] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE, item.iItem = i, item.pszText = text, item.cchTextMax = sizeof text;
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) break;
        items.push_back({item.pszText, item.iImage});
    }
    return items;
}

std::string Items(HWND list) {
    std::string line;
    for (const ListItem& item : ListViewItems(list)) line += (line.empty() ? "" : " ") + item.text + ":" + std::to_string(item.image);
    return line;
}

std::vector<TreeItem> TreeViewItems(HWND tree) {
    std::vector<TreeItem> items;
    CollectTree(tree, TreeView_GetRoot(tree), 0, items);
    return items;
}

void Steps::operator()(std::string name, std::source_location at) {
    trace_.reset();  // a trace is a stack: the last step's goes first
    name_ = std::move(name);
    trace_.emplace(at.file_name(), static_cast<int>(at.line()), "step: " + name_);
    t_steps = this;
}

Steps::~Steps() {
    if (t_steps == this) t_steps = nullptr;
}

UiSync::UiSync()
    : uiThread(GetCurrentThreadId()), hook(SetWindowsHookExA(WH_GETMESSAGE, MarkerHook, nullptr, uiThread)) {}
UiSync::~UiSync() { UnhookWindowsHookEx(hook); }

bool UiSync::wait() {
    unsigned serial = ++g_markersPosted;
    return hook && PostThreadMessageA(uiThread, kMarker, serial, 0) &&
           Poll([&] { return g_markersSeen.load() >= serial; }, kWaitMs);
}

void RunDriven(const std::function<void()>& call, const std::function<void(UiSync&)>& drive) {
    UiSync sync;
    std::atomic<bool> callDone{false};
    bool leftOpen = false;
    const std::string callersStep = t_steps ? t_steps->current() : std::string();
    Driver().start([&] {
        if (!callersStep.empty()) sync.step(callersStep);
        drive(sync);
        sync.step.end();  // the trace belongs to the driver thread
        // Give the last action as long to end the dialog as any other wait (a write's flush on a
        // busy disk takes seconds); then back out of whatever is still open.
        if (Poll([&] { return callDone.load(); }, kWaitMs)) return;
        for (DWORD start = GetTickCount(); !callDone.load() && GetTickCount() - start < kWaitMs; Sleep(50))
            EnumThreadWindows(sync.uiThread, CloseLeftOpen, reinterpret_cast<LPARAM>(&leftOpen));
    });
    call();
    callDone = true;
    Driver().join();
    EXPECT_FALSE(leftOpen) << "the driver left a window open after its step '" << sync.step.current() << "'; it was closed";
}

void RunDialog(const std::function<void()>& call, const std::string& title, const std::function<void(UiSync&, HWND)>& drive) {
    RunDriven(call, [&](UiSync& ui) {
        HWND dialog = WaitForDialog(title);
        ASSERT_NE(dialog, nullptr) << title;
        ui.wait();
        drive(ui, dialog);
    });
}

std::string Existing(const std::string& folder, std::initializer_list<std::string> names) {
    std::string line;
    for (const std::string& name : names)
        if (Exists(folder + name)) line += (line.empty() ? "" : " ") + name;
    return line;
}

std::string CardRoot() { return DriveRoot("KX_CARD_DRIVE"); }
std::string NoMediaRoot() { return DriveRoot("KX_NO_MEDIA_DRIVE"); }
std::string NoMediaFolder() {
    const char* folder = std::getenv("KX_NO_MEDIA_FOLDER");
    return folder ? folder : "";
}

std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void SaveWindowIfAsked(UiSync& ui, HWND window, const std::string& name) {
    const char* folder = std::getenv("KX_SCREENSHOTS");
    if (!folder || !*folder || !window) return;
    // Without a window manager a window may never be activated: draw it active.
    SetForegroundWindow(window);
    SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui.wait();
    Sleep(300);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFOHEADER header{sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<char> bits(static_cast<std::size_t>((w * 3 + 3) & ~3) * static_cast<std::size_t>(h));
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), bits.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof header;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(headers + bits.size()), 0, 0, headers};
    std::ofstream(std::string(folder) + "\\" + name + ".bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(&file), sizeof file)
        .write(reinterpret_cast<const char*>(&header), sizeof header)
        .write(bits.data(), std::ssize(bits));
}

TakenTlsSlots::TakenTlsSlots(std::size_t leaveFree) {
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) slots_.push_back(slot);
    for (std::size_t i = 0; i < leaveFree && !slots_.empty(); ++i) {
        TlsFree(slots_.back());
        slots_.pop_back();
    }
}

TakenTlsSlots::~TakenTlsSlots() {
    for (DWORD slot : slots_) TlsFree(slot);
}

}  // namespace kx::wintest
