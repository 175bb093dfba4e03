// Times the dialogs on big folders under Wine, each figure beside its limit, measured in the same
// run: what a plain list view with the same picture strip and the file system cost for the same
// visible work. The plain list lives on the dialog's own thread and is painted the same way, so
// both sides pay the same thread hops and paints.
//
// Figures, for a folder of N designs each: the PC list's fill, "Select All Designs" with the pair
// check, one tick click; a card folder's Open, its "Select All Designs" and Erase of all its
// designs; DirectFilesWrite of a list file of N records.
// Usage: kx_dialog_timing [SIZES] [RUNS] [PARTS]   (SIZES comma-separated, default
// 1000,2000,10000,50000; PARTS any of pc,card,files, default all; the card figures run up to
// 2 000 designs, the listed write up to 10 000 records).
// Run from the rig's environment: bench/README.md says how.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/sample_designs.h"
#include "ui/dialog_common.h"
#include "ui/win/gdi.h"
#include "ui/win/item_record.h"

namespace {

using namespace kx::wintest;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr UINT kRunOnUi = WM_APP + 0x51;
constexpr int kUnticked = 10, kTicked = 11, kFolderPicture = 0;
constexpr DWORD kLongWaitMs = 15 * 60 * 1000;
// The card figures make and delete two files a design, and the listed write copies one a record:
// each costs about a millisecond under Wine here, so they run up to these sizes only.
constexpr int kCardFiguresMax = 2000, kListedWriteMax = 10000;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Exact-case names: Wine then looks a new name up directly instead of reading the whole folder
// for a match in another case, which makes filling a folder of N files quadratic.
void WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The whole file, or its first `most` bytes (then without asking for its size).
Bytes ReadBytes(const std::string& path, DWORD most = 0) {
    Bytes bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD got = 0;
    bytes.resize(most ? most : GetFileSize(file, nullptr));
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

struct Designs {
    Bytes plain, half;
};

Designs SampleDesigns() {
    Designs d;
    for (const auto& design : kx::samples::MakeSampleDesigns()) {
        if (design.fileName == "HEART.kxd") d.plain = design.bytes;
        if (design.fileName == "TANDEM1.kxd") d.half = design.bytes;
    }
    return d;
}

// Design i of a folder of N: a fifth of them tandem-hoop pair halves (both halves present).
std::string DesignName(int i, bool& pair) {
    char name[32];
    pair = i % 10 < 2;
    std::snprintf(name, sizeof name, pair ? "P%05d%d.kxd" : "D%05d.kxd", pair ? i / 10 : i, i % 10 + 1);
    return name;
}

// Under the rig's PC drive (KX_PC_DRIVE) when it has one, else the temporary folder.
std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    const char* drive = std::getenv("KX_PC_DRIVE");
    if (drive && *drive) std::snprintf(temp, sizeof temp, "%c:\\", *drive);
    else GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string MakePcFolder(int count, const Designs& designs) {
    std::string folder = TempFolder("kx-timing-" + std::to_string(count));
    // Made once, and kept: a file beside the folder says it is complete.
    const std::string complete = folder.substr(0, folder.size() - 1) + ".complete";
    if (GetFileAttributesA(complete.c_str()) != INVALID_FILE_ATTRIBUTES) return folder;
    for (int i = 0; i < count; ++i) {
        bool pair = false;
        std::string name = DesignName(i, pair);
        WriteBytes(folder + name, pair ? designs.half : designs.plain);
    }
    WriteBytes(complete, {});
    return folder;
}

// N designs, each with a thumbnail file beside it, as a card folder holds them.
void FillCardFolder(const std::string& folder, int count, const Designs& designs) {
    static const Bytes thumbnail(1024, 0x11);
    for (int i = 0; i < count; ++i) {
        bool pair = false;
        std::string name = DesignName(i, pair);
        WriteBytes(folder + name, designs.plain);
        WriteBytes(folder + name.substr(0, name.size() - 3) + "kxt", thumbnail);
    }
}

bool EndsInDesignExtension(const std::string& name) {
    return name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".kxd") == 0;
}

bool IsPairName(const std::string& name) {
    std::size_t dot = name.rfind('.');
    std::string base = name.substr(0, dot);
    return !base.empty() && (base.back() == '1' || base.back() == '2');
}

struct Row {
    std::string name;
    int image;
};

// What a folder lists, in the lists' order: designs first, then folders, each in byte order.
std::vector<Row> ListFolder(const std::string& pattern, bool withFolders) {
    std::vector<Row> rows;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return rows;
    do {
        std::string name = found.cFileName;
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
        if (folder && withFolders && name != "." && name != "..") rows.push_back({name, kFolderPicture});
        else if (!folder && EndsInDesignExtension(name)) rows.push_back({name, kUnticked});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if ((a.image == kUnticked) != (b.image == kUnticked)) return a.image == kUnticked;
        return a.name < b.name;  // char_traits<char> compares as unsigned bytes
    });
    return rows;
}

// The limit's side: a plain report list view with the same style, size and picture strip, and a
// counter, in a window of its own beside the dialog; a click on a row's picture flips its tick.
struct Plain {
    HWND top = nullptr, list = nullptr, counter = nullptr;
    kx::win::ImageList images;
    int ticked = 0;
};
Plain g_plain;
WNDPROC g_plainListPrevious = nullptr;

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(window, message, wParam, lParam);
}

void ShowCount(HWND counter, int n) {
    char text[48];
    std::snprintf(text, sizeof text, "Selected designs : %d", n);
    SetWindowTextA(counter, text);
}

int PlainImage(int index) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return Send(g_plain.list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

void SetPlainImage(int index, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    Send(g_plain.list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

LRESULT CALLBACK PlainListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        LVHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        int index = static_cast<int>(Send(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (index >= 0 && hit.flags == LVHT_ONITEMICON) {
            bool nowTicked = PlainImage(index) == kUnticked;
            SetPlainImage(index, nowTicked ? kTicked : kUnticked);
            g_plain.ticked += nowTicked ? 1 : -1;
            ShowCount(g_plain.counter, g_plain.ticked);
        }
    }
    return CallWindowProcA(g_plainListPrevious, list, message, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunOnUi) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// On the UI thread, before the dialog opens.
void MakePlain() {
    WNDCLASSA host{};
    host.lpfnWndProc = HostProc;
    host.hInstance = GetModuleHandleA(nullptr);
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    host.lpszClassName = "KxTimingHost";
    RegisterClassA(&host);
    g_plain.top = CreateWindowExA(0, host.lpszClassName, "limit", WS_POPUP | WS_VISIBLE, 0, 0, 300, 420, nullptr,
                                  nullptr, host.hInstance, nullptr);
    g_plain.list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                   LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                                   10, 10, 230, 280, g_plain.top, nullptr, host.hInstance, nullptr);
    g_plain.counter = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN,
                                      10, 300, 120, 18, g_plain.top, nullptr, host.hInstance, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = 200;
    column.pszText = const_cast<char*>("FileName");
    Send(g_plain.list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    g_plain.images = kx::win::LoadMaskedImageList(GetModuleHandleA("kxcard.dll"), IDB_LIST_PICTURES, 16, 11, 5);
    Send(g_plain.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(g_plain.images.get()));
    g_plainListPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_plain.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PlainListProc)));
}

void DestroyPlain() {
    if (g_plain.top) DestroyWindow(g_plain.top);
    g_plain.images.reset();
}

void RunOnUi(const std::function<void()>& step) { Send(g_plain.top, kRunOnUi, 0, reinterpret_cast<LPARAM>(&step)); }

void PaintNow(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// The plain list's part of a fill: the rows inserted with drawing off, then painted.
void PlainFill(const std::vector<Row>& rows) {
    Send(g_plain.list, WM_SETREDRAW, FALSE);
    Send(g_plain.list, LVM_DELETEALLITEMS);
    Send(g_plain.list, LVM_SETITEMCOUNT, rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(rows[i].name.c_str());
        item.iImage = rows[i].image;
        item.lParam = static_cast<LPARAM>(i);
        Send(g_plain.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    Send(g_plain.list, WM_SETREDRAW, TRUE);
    InvalidateRect(g_plain.list, nullptr, TRUE);
    g_plain.ticked = 0;
    ShowCount(g_plain.counter, 0);
}

// Every design row ticked with drawing off.
void PlainTickAll(const std::vector<Row>& rows) {
    Send(g_plain.list, WM_SETREDRAW, FALSE);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].image != kFolderPicture) SetPlainImage(static_cast<int>(i), kTicked);
    Send(g_plain.list, WM_SETREDRAW, TRUE);
    InvalidateRect(g_plain.list, nullptr, TRUE);
}

// One figure: our medians and the limit's, with the limit's parts.
struct Figure {
    std::string name;
    int rows = 0;
    std::vector<double> ours, limit;
    std::map<std::string, std::vector<double>> parts;
};
std::deque<Figure> g_figures;  // figures stay where they are as more come

Figure& NewFigure(const std::string& name, int rows) {
    g_figures.push_back({name, rows, {}, {}, {}});
    return g_figures.back();
}

template <class Step>
double Time(Step step) {
    auto start = Clock::now();
    step();
    return Ms(Clock::now() - start);
}

// Times `step` on the UI thread, recording it as part `part` of the figure's limit.
double TimeOnUi(Figure& figure, const std::string& part, const std::function<void()>& step) {
    double ms = 0;
    RunOnUi([&] { ms = Time(step); });
    figure.parts[part].push_back(ms);
    return ms;
}

// The dialog's step with the paint it leads to.
double Ours(HWND dialog, const std::function<void()>& step) {
    return Time([&] {
        step();
        RunOnUi([&] { PaintNow(dialog); });
    });
}

// One run of a fill: the dialog's step, then the limit: the folder listed, the plain list filled
// and painted. `rows` receives what was listed.
void FillRun(Figure& figure, HWND dialog, const std::function<void()>& step, const std::string& pattern,
             bool withFolders, std::vector<Row>& rows) {
    figure.ours.push_back(Ours(dialog, step));
    double listing = TimeOnUi(figure, "listing", [&] { rows = ListFolder(pattern, withFolders); });
    double control = TimeOnUi(figure, "list", [&] {
        PlainFill(rows);
        PaintNow(g_plain.top);
    });
    figure.limit.push_back(listing + control);
}

void Report(const Figure& f) {
    double ours = Median(f.ours), limit = Median(f.limit);
    std::printf("%-16s %6d %10.1f %10.1f %6.2f  ", f.name.c_str(), f.rows, ours, limit, limit > 0 ? ours / limit : 0.0);
    for (const auto& [part, times] : f.parts) std::printf(" %s %.1f", part.c_str(), Median(times));
    std::printf("\n");
    std::fflush(stdout);
}

void SendCommand(HWND dialog, int id) { Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

// Sleep(0) between checks for the short waits, 1 ms for the long ones (a second core is shared).
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kLongWaitMs, DWORD pauseMs = 0) {
    for (DWORD start = GetTickCount(); !done(); Sleep(pauseMs))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

struct BoxSearch {
    HWND dialog, box = nullptr;
};

// An EnumThreadWindows callback (stdcall, which a lambda is not on 32-bit x86).
BOOL CALLBACK FindBox(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<BoxSearch*>(p);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (w != s->dialog && IsWindowVisible(w) && std::string(cls) == "#32770") s->box = w;
    return s->box == nullptr;
}

// A message box the UI thread shows (any visible dialog but `dialog`): its caption and text, after
// pressing its first button; empty when there is none.
std::string AnswerBox(DWORD uiThread, HWND dialog) {
    BoxSearch search{dialog};
    EnumThreadWindows(uiThread, FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.box) return {};
    std::string text = WindowText(search.box);
    for (HWND c = GetWindow(search.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (std::string(cls) == "Static") text += ": " + WindowText(c);
    }
    for (int id : {IDOK, IDYES, IDCANCEL})
        if (GetDlgItem(search.box, id)) {
            ClickControl(search.box, id);
            break;
        }
    return text;
}

int ItemCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT)); }

// A click posted on row 0's picture, done once the counter shows the change.
double TickClick(HWND list, HWND counter) {
    RECT r{};
    r.left = LVIR_ICON;
    Send(list, LVM_ENSUREVISIBLE, 0, FALSE);
    Send(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::string before = WindowText(counter);
    return Time([&] {
        // Posted as a click is: the list's own press handling reads the release from its queue.
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        WaitUntil([&] { return WindowText(counter) != before; }, 10000);
    });
}

void TimePcList(HWND dialog, const std::string& folder, int count, int runs) {
    HWND list = GetDlgItem(dialog, IDC_PC_LIST);
    kx::ItemRecord chosen{1, 1, "folder", folder};
    Figure& fill = NewFigure("pc fill", count);
    std::vector<Row> rows;
    for (int r = 0; r < runs; ++r) {
        FillRun(fill, dialog, [&] { Send(dialog, kx::WM_FOLDER_CHOSEN, 0, reinterpret_cast<LPARAM>(&chosen)); },
                folder + "*", true, rows);
    }
    Report(fill);
    if (ItemCount(list) != count) std::printf("  the PC list shows %d rows, not %d\n", ItemCount(list), count);

    Figure& all = NewFigure("pc select all", count);
    for (int r = 0; r < runs; ++r) {
        all.ours.push_back(Ours(dialog, [&] { SendCommand(dialog, IDC_PC_SELECT_ALL); }));
        double control = TimeOnUi(all, "list", [&] {
            PlainTickAll(rows);
            g_plain.ticked = static_cast<int>(rows.size());
            ShowCount(g_plain.counter, g_plain.ticked);
            PaintNow(g_plain.top);
        });
        double headers = TimeOnUi(all, "headers", [&] {
            for (const Row& row : rows)
                if (row.image != kFolderPicture && IsPairName(row.name)) ReadBytes(folder + row.name, 116);
        });
        all.limit.push_back(control + headers);
    }
    Report(all);

    // What a list's notifications cost its parent, one for each of N rows (an insert, a delete
    // and a changed picture each send some): the dialog against the plain list's window.
    Figure& notify = NewFigure("notifications", count);
    for (int r = 0; r < runs; ++r) {
        auto send = [&](HWND parent) {
            NMHDR header{list, IDC_PC_LIST, static_cast<UINT>(LVN_FIRST - 98)};  // a code nobody handles
            return Time([&] {
                RunOnUi([&] {
                    for (int i = 0; i < count; ++i) Send(parent, WM_NOTIFY, IDC_PC_LIST, reinterpret_cast<LPARAM>(&header));
                });
            });
        };
        notify.ours.push_back(send(dialog));
        notify.limit.push_back(send(g_plain.top));
    }
    Report(notify);

    // Row 0 is a plain design (pairs sort after): its tick counts and asks nothing.
    Figure& tick = NewFigure("pc tick", count);
    for (int r = 0; r < runs; ++r) {
        tick.ours.push_back(TickClick(list, GetDlgItem(dialog, IDC_PC_COUNT)));
        double control = TickClick(g_plain.list, g_plain.counter);
        tick.parts["list"].push_back(control);
        tick.limit.push_back(control);
    }
    Report(tick);
}

void TimeCardFolder(HWND dialog, const std::string& card, int count, int runs, const Designs& designs) {
    const std::string folder = card + "EmbF5\\";
    HWND list = GetDlgItem(dialog, IDC_DESIGN_LIST);
    auto toFolderView = [&] {
        if (IsWindowVisible(list)) SendCommand(dialog, IDC_CARD_OPEN);  // the design view shows
    };
    Figure& open = NewFigure("card open", count);
    Figure& all = NewFigure("card select all", count);
    Figure& erase = NewFigure("card erase", count);
    double made = 0;
    std::vector<Row> rows;
    for (int r = 0; r < runs; ++r) {
        toFolderView();
        made += Time([&] { FillCardFolder(folder, count, designs); });
        FillRun(open, dialog, [&] { SendCommand(dialog, IDC_CARD_OPEN); }, folder + "*.kxd", false, rows);

        all.ours.push_back(Ours(dialog, [&] { SendCommand(dialog, IDC_CARD_SELECT_ALL); }));
        all.limit.push_back(TimeOnUi(all, "list", [&] {
            PlainTickAll(rows);
            ShowCount(g_plain.counter, static_cast<int>(rows.size()));
            PaintNow(g_plain.top);
        }));

        // Erase of every design, from the answer to the question until the list shows the
        // emptied folder.
        ClickControl(dialog, IDC_ERASE);
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindWindowA("#32770", "Confirm")) != nullptr && IsWindowVisible(box); }, 10000);
        erase.ours.push_back(Time([&] {
            ClickControl(box, IDYES);
            WaitUntil([&] { return ItemCount(list) == 0; });
            RunOnUi([&] { PaintNow(dialog); });
        }));
        if (ItemCount(list) != 0) std::printf("  the erase left %d rows\n", ItemCount(list));
        FillCardFolder(folder, count, designs);
        double files = TimeOnUi(erase, "files", [&] {
            for (const Row& row : rows) {
                DeleteFileA((folder + row.name).c_str());
                DeleteFileA((folder + row.name.substr(0, row.name.size() - 3) + "kxt").c_str());
            }
            HANDLE volume = CreateFileA(("\\\\.\\" + card.substr(0, 2)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (volume != INVALID_HANDLE_VALUE) {
                FlushFileBuffers(volume);
                CloseHandle(volume);
            }
        });
        double emptied = TimeOnUi(erase, "list", [&] {
            PlainFill({});
            PaintNow(g_plain.top);
        });
        erase.limit.push_back(files + emptied);
    }
    toFolderView();
    std::printf("  (card folder of %d designs and thumbnails made in %.0f ms)\n", count, made / runs);
    Report(open);
    Report(all);
    Report(erase);
}

// DirectFilesWrite of N records naming 100 PC designs in turn: the first hundred fill the card
// folder, every later one replaces its card file and thumbnail.
void TimeListedWrite(const std::string& card, int count, int runs, const Designs& designs) {
    const std::string sources = TempFolder("kx-timing-sources");
    std::string records;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "S%03d.kxd", i % 100);
        if (i < 100) WriteBytes(sources + name, designs.plain);
        std::string record = sources + name;
        record.resize(KXCARD_LIST_RECORD_SIZE, '\0');
        records += record;
    }
    const std::string listFile = sources + "list-" + std::to_string(count) + ".dat";
    WriteBytes(listFile, Bytes(records.begin(), records.end()));
    Figure& write = NewFigure("files write", count);
    for (int r = 0; r < runs; ++r) {
        char name[KXCARD_PATH_SIZE] = "L";  // a fixed prefix: every run replaces the same hundred
        RunDriven([&] { DirectFilesWrite(nullptr, name, listFile.c_str()); },
                  [&](UiSync& ui) {
                      HWND dialog = WaitForDialog("Write Designs");
                      ui.wait();
                      std::string box;
                      write.ours.push_back(Time([&] {
                          ClickControl(dialog, IDC_WRITE_ARROW);
                          WaitUntil([&] {
                              if (std::string shown = AnswerBox(ui.uiThread, dialog); !shown.empty()) {
                                  box = shown;
                                  ClickControl(dialog, IDCANCEL);  // a refused write leaves it open
                              }
                              return !IsWindowVisible(dialog);
                          }, kLongWaitMs, 1);
                      }));
                      if (!box.empty()) std::printf("  the write showed \"%s\"\n", box.c_str());
                  });
        // The same files read and written plainly, into a folder of their own on the card.
        const std::string target = card + "EmbF6\\";
        const Bytes thumbnail(1024, 0x11);
        write.limit.push_back(Time([&] {
            for (int i = 0; i < count; ++i) {
                const std::string source(records.c_str() + static_cast<std::size_t>(i) * KXCARD_LIST_RECORD_SIZE);
                std::string base = source.substr(source.rfind('\\') + 1);
                base.resize(base.size() - 4);
                WriteBytes(target + base + ".kxd", ReadBytes(source));
                WriteBytes(target + base + ".kxt", thumbnail);
            }
        }));
    }
    Report(write);
}

std::vector<int> Sizes(const char* text) {
    std::vector<int> sizes;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (int n = std::atoi(item.c_str()); n > 0) sizes.push_back(n);
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = Sizes(argc > 1 ? argv[1] : "1000,2000,10000,50000");
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string parts = argc > 3 ? argv[3] : "pc,card,files";
    auto wanted = [&](const char* part) { return parts.find(part) != std::string::npos; };
    const std::string card = CardRoot();
    if (card.empty()) {
        std::printf("no card drive: run bench/win/dialog_timing.sh\n");
        return 1;
    }
    const Designs designs = SampleDesigns();
    std::vector<std::string> folders;
    for (int count : sizes) folders.push_back(MakePcFolder(count, designs));
    char start[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, start);
    std::printf("%-16s %6s %10s %10s %6s   limit parts (ms)\n", "figure", "rows", "ours ms", "limit ms", "ratio");
    RunDriven(
        [&] {
            MakePlain();
            ConnectCardDlg(nullptr, start);
            DestroyPlain();
        },
        [&](UiSync& ui) {
            HWND dialog = WaitForDialog("Write Designs, Read and Erase");
            ui.wait();
            RECT r{};
            GetWindowRect(GetDlgItem(dialog, IDC_PC_LIST), &r);
            RunOnUi([&] { MoveWindow(g_plain.list, 10, 10, r.right - r.left, r.bottom - r.top, TRUE); });
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                if (wanted("pc")) TimePcList(dialog, folders[i], sizes[i], runs);
                if (wanted("card") && sizes[i] <= kCardFiguresMax) TimeCardFolder(dialog, card, sizes[i], runs, designs);
            }
            // Closing deletes every row: give a large list the time it takes.
            ClickControl(dialog, IDCANCEL);
            WaitUntil([&] { return !IsWindowVisible(dialog); }, kLongWaitMs, 10);
        });
    for (int count : sizes)
        if (wanted("files") && count <= kListedWriteMax) TimeListedWrite(card, count, runs, designs);
    std::printf("\nmedians of %d runs:\n", runs);
    std::printf("%-16s %6s %10s %10s %6s   limit parts (ms)\n", "figure", "rows", "ours ms", "limit ms", "ratio");
    for (const Figure& f : g_figures) Report(f);
    return 0;
}
