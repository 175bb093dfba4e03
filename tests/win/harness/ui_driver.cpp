// The dialog-driving harness of the Windows test programs.
#include "harness/ui_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace kx::wintest {

namespace {

constexpr UINT kMarker = WM_APP + 0x3A5C;
constexpr DWORD kPollMs = 10;
constexpr int kMaxTreeDepth = 64;
constexpr std::size_t kMaxItems = 100000;

std::atomic<unsigned> g_markersPosted{0};
std::atomic<unsigned> g_markersSeen{0};

LRESULT CALLBACK MarkerHook(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->hwnd == nullptr && msg->message == kMarker) g_markersSeen.store(static_cast<unsigned>(msg->wParam));
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

bool IsOwnWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

bool IsDialogClass(HWND window) { return ClassName(window) == "#32770"; }

// The first top-level window of this process for which `match` holds.
HWND FindOwnWindow(const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found = nullptr;
    } search{&match};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (!IsOwnWindow(window) || !(*s->match)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindOwnWindow(match)) return found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

bool HasStaticText(HWND dialog, const std::string& text) {
    for (HWND child : ChildWindows(dialog))
        if (EqualsClass(child, "Static") && WindowText(child) == text) return true;
    return false;
}

// Closes what a driver left open: the button that backs out, else the close command.
bool CloseThreadWindows(DWORD thread) {
    bool closedAny = false;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            if (!IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<bool*>(param) = true;
            for (int id : {IDCANCEL, IDNO, IDOK}) {
                if (HWND button = GetDlgItem(window, id)) {
                    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                    return TRUE;
                }
            }
            PostMessageA(window, WM_CLOSE, 0, 0);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&closedAny));
    return closedAny;
}

bool WaitForFlag(const std::atomic<bool>& flag, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!flag.load()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace

bool EqualsClass(HWND window, const char* name) { return lstrcmpiA(ClassName(window).c_str(), name) == 0; }

HWND WaitForDialog(const std::string& title, DWORD timeoutMs) {
    return WaitFor([&](HWND w) { return IsWindowVisible(w) && IsDialogClass(w) && WindowText(w) == title; },
                   timeoutMs);
}

HWND WaitForMessageBox(const std::string& caption, const std::string& text, DWORD timeoutMs) {
    return WaitFor(
        [&](HWND w) {
            return IsWindowVisible(w) && IsDialogClass(w) && WindowText(w) == caption && HasStaticText(w, text);
        },
        timeoutMs);
}

bool AnswerMessageBox(const std::string& caption, const std::string& text, int answer, DWORD timeoutMs) {
    HWND box = WaitForMessageBox(caption, text, timeoutMs);
    if (!box) return false;
    ClickControl(box, answer);
    return true;
}

void ClickControl(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CloseWithCloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::string WindowText(HWND window) {
    char text[1024] = {};
    int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ClassName(HWND window) {
    char name[256] = {};
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::vector<HWND> ChildWindows(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && children.size() < kMaxItems;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::vector<ListItem> ListViewItems(HWND list) {
    std::vector<ListItem> items;
    LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && items.size() < kMaxItems; ++i) {
        char text[520] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) break;
        items.push_back({std::string(text, strnlen(text, sizeof text)), item.iImage, item.lParam});
    }
    return items;
}

namespace {

void CollectTree(HWND tree, HTREEITEM first, int depth, std::vector<TreeItem>& items) {
    for (HTREEITEM node = first; node && items.size() < kMaxItems && depth < kMaxTreeDepth;
         node = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)))) {
        char text[520] = {};
        TVITEMA item{};
        item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        item.hItem = node;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
        items.push_back({std::string(text, strnlen(text, sizeof text)), item.iImage, item.iSelectedImage,
                         item.lParam, depth});
        auto child = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
        CollectTree(tree, child, depth + 1, items);
    }
}

}  // namespace

std::vector<TreeItem> TreeViewItems(HWND tree) {
    std::vector<TreeItem> items;
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    CollectTree(tree, root, 0, items);
    return items;
}

UiSync::UiSync()
    : uiThread_(GetCurrentThreadId()),
      hook_(SetWindowsHookExA(WH_GETMESSAGE, MarkerHook, nullptr, GetCurrentThreadId())) {}

UiSync::~UiSync() {
    if (hook_) UnhookWindowsHookEx(hook_);
}

bool UiSync::wait(DWORD timeoutMs) {
    if (!hook_) return false;
    unsigned serial = ++g_markersPosted;
    if (!PostThreadMessageA(uiThread_, kMarker, serial, 0)) return false;
    DWORD start = GetTickCount();
    while (g_markersSeen.load() < serial) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

void RunDriven(const std::function<void()>& call, const std::function<void(UiSync&)>& drive) {
    UiSync sync;
    std::atomic<bool> callDone{false};
    bool leftOpen = false;
    std::thread driver([&] {
        drive(sync);
        // Give the last action time to end the dialog before closing what remains.
        if (WaitForFlag(callDone, 2000)) return;
        DWORD start = GetTickCount();
        while (!callDone.load() && GetTickCount() - start < kWaitMs) {
            if (CloseThreadWindows(sync.uiThread())) leftOpen = true;
            Sleep(50);
        }
    });
    call();
    callDone = true;
    driver.join();
    EXPECT_FALSE(leftOpen) << "the driver left a window open; it was closed";
}

namespace {

std::string DriveRootFromEnvironment(const char* variable) {
    char letter[8] = {};
    DWORD n = GetEnvironmentVariableA(variable, letter, sizeof letter);
    if (n == 0 || n >= sizeof letter) return {};
    return std::string(1, letter[0]) + ":\\";
}

}  // namespace

std::string CardRoot() { return DriveRootFromEnvironment("KX_CARD_DRIVE"); }
std::string NoMediaRoot() { return DriveRootFromEnvironment("KX_NO_MEDIA_DRIVE"); }

std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, std::min<DWORD>(n, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace kx::wintest
