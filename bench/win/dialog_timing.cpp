// Times the main dialog's PC list on a folder of N designs (default 10 000) under Wine: the fill
// when the folder is chosen, "Select All Designs" with the pair search, and one tick click.
// Run from the rig's environment: bench/README.md says how.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "samples/sample_designs.h"
#include "ui/dialog_common.h"
#include "ui/win/item_record.h"

namespace {

using namespace kx::wintest;
using Clock = std::chrono::steady_clock;

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// N designs: a fifth of them tandem-hoop pairs (both halves present), the rest plain.
std::string MakeFolder(int count) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "kx-timing-" + std::to_string(count) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::uint8_t> plain, half;
    for (const auto& design : kx::samples::MakeSampleDesigns()) {
        if (design.fileName == "HEART.kxd") plain = design.bytes;
        if (design.fileName == "TANDEM1.kxd") half = design.bytes;
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        bool pair = i % 10 < 2;
        std::snprintf(name, sizeof name, pair ? "P%05d%d.kxd" : "D%05d.kxd", pair ? i / 10 : i, i % 10 + 1);
        if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) WriteBytes(folder + name, pair ? half : plain);
    }
    return folder;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <class Step>
double Median(int runs, Step step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        step();
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string folder = MakeFolder(count);
    char start[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, start);
    double fill = 0, selectAll = 0, tick = 0;
    int rows = 0, ticked = 0;
    RunDriven([&] { ConnectCardDlg(nullptr, start); },
              [&](UiSync& ui) {
                  HWND dialog = WaitForDialog("Write Designs, Read and Erase");
                  ui.wait();
                  HWND list = GetDlgItem(dialog, 1067);
                  kx::ItemRecord chosen{1, 1, "folder", folder};
                  fill = Median(runs, [&] {
                      SendMessageA(dialog, kx::WM_FOLDER_CHOSEN, 0, reinterpret_cast<LPARAM>(&chosen));
                  });
                  rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
                  std::printf("fill %.1f ms\n", fill);
                  std::fflush(stdout);
                  selectAll = Median(runs, [&] { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0); });
                  std::printf("select all %.1f ms\n", selectAll);
                  std::fflush(stdout);
                  ticked = std::atoi(WindowText(GetDlgItem(dialog, 1009)).substr(19).c_str());
                  // The first row is a plain design (pairs sort after): its tick counts the list
                  // once more, and asks nothing.
                  RECT r{};
                  r.left = LVIR_ICON;
                  SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
                  SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
                  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                  // Posted as a click is (the list's own press handling reads the release from its
                  // queue); done once the counter shows the change.
                  HWND counter = GetDlgItem(dialog, 1009);
                  tick = Median(runs, [&] {
                      std::string before = WindowText(counter);
                      PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
                      PostMessageA(list, WM_LBUTTONUP, 0, at);
                      for (auto until = Clock::now() + std::chrono::seconds(10);
                           WindowText(counter) == before && Clock::now() < until;)
                          Sleep(0);
                  });
                  ClickControl(dialog, IDCANCEL);
              });
    std::printf("designs %d, rows listed %d, ticked after select all %d\n", count, rows, ticked);
    std::printf("fill %.1f ms, select all %.1f ms, tick click %.1f ms (median of %d)\n", fill, selectAll, tick, runs);
    return rows == count ? 0 : 1;
}
