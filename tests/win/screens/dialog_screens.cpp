// dialog_screens: walks kxcard.dll's dialogs through their main states and saves a picture of
// each window as it stands on the screen, for scripts/dialogs.sh --screenshots.
//
//   dialog_screens DESIGNS_FOLDER OUT_FOLDER
//
// DESIGNS_FOLDER (ending with a backslash) is the PC folder of the main dialog and holds the
// design used for the write dialog; the card is the first removable drive. Each state found is
// saved as OUT_FOLDER\<name>.bmp and reported on stdout; a state whose window does not appear,
// or whose client area is not its template's size, is reported and skipped. Exit status: 0 when
// every picture was saved, 1 when some state was not, 2 when none was or the arguments are wrong.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "harness/kxcard_library.h"
#include "harness/screen_capture.h"
#include "harness/ui_driver.h"
#include "resource_ids.h"

namespace kx::wintest {
namespace {

constexpr DWORD kOptionalWaitMs = 3000;
constexpr int kUncheckedPicture = 10;
// The demo's design that shows best in the preview; without it, the last one ticked.
constexpr const char* kPreviewedDesign = "FLOWER.kxd";

struct Walk {
    std::string out;
    int saved = 0, missing = 0;
};

// A dialog's template size in dialog units.
struct TemplateSize { int width, height; };
constexpr TemplateSize kMainDialog{433, 245}, kWriteDialog{268, 229}, kNameDialog{187, 63};

// Paints `window` and saves the screen under it as `name`.bmp, once its client area has the
// pixel size of `size` in its own font: a window of another size is not the template's.
void Save(Walk& walk, UiSync& ui, HWND window, const char* name, TemplateSize size) {
    RECT expected{0, 0, size.width, size.height}, client{};
    if (!window || !MapDialogRect(window, &expected) || !GetClientRect(window, &client) ||
        client.right != expected.right || client.bottom != expected.bottom) {
        if (window)
            std::printf("%s: %ld x %ld pixels inside, not %ld x %ld; not saved\n", name, client.right, client.bottom,
                        expected.right, expected.bottom);
        else
            std::printf("%s: its window did not appear; not saved\n", name);
        ++walk.missing;
        return;
    }
    // Without a window manager the walk's first window may never be activated; draw it active.
    SetForegroundWindow(window);
    SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui.wait();
    Sleep(300);
    RECT area{};
    const std::string path = walk.out + name + ".bmp";
    if (!GetWindowRect(window, &area) || !SaveScreenBitmap(path, area)) {
        std::printf("%s: the capture failed\n", name);
        ++walk.missing;
        return;
    }
    std::printf("%s: %s\n", name, WindowText(window).c_str());
    ++walk.saved;
}

// The centre of `area` (LVIR_ICON, LVIR_LABEL) of list row `row`; false when there is no such row.
bool RowPoint(HWND list, int row, int area, LPARAM& point) {
    RECT r{};
    r.left = area;
    if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r))) return false;
    point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}

// Posts a left press and release at `area` of row `row`, as a click.
void ClickRow(HWND list, int row, int area) {
    LPARAM point = 0;
    if (!RowPoint(list, row, area, point)) return;
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
}

// Answers the message boxes the last action opened (a few at most), each with OK or Yes where it
// has one, so the walk goes on.
void AnswerBoxes(UiSync& ui, const std::set<HWND>& dialogs) {
    for (int boxes = 0; boxes < 4; ++boxes) {
        HWND box = WaitForProcessDialog(GetCurrentProcessId(), [&](HWND w) { return !dialogs.count(w); }, 500);
        if (!box) return;
        for (int id : {IDOK, IDYES, IDCANCEL})
            if (GetDlgItem(box, id)) {
                ClickControl(box, id);
                break;
            }
        ui.wait();
    }
}

// The main dialog: card folders; the rename dialog; then the card opened, designs ticked and
// one previewed.
void WalkMainDialog(Walk& walk, const std::string& designs) {
    std::vector<char> folder(KXCARD_PATH_SIZE);
    designs.copy(folder.data(), KXCARD_PATH_SIZE - 1);
    RunDriven([&] { Kxcard().connectCardDlg(nullptr, folder.data()); }, [&](UiSync& ui) {
        HWND dialog = WaitForDialog("Write Designs, Read and Erase");
        if (!dialog) return Save(walk, ui, dialog, "main-dialog", kMainDialog);
        ui.wait();
        Save(walk, ui, dialog, "main-dialog", kMainDialog);

        // The rename dialog runs inside the right press; the release goes after it closes.
        HWND folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
        LPARAM point = 0;
        HWND rename = nullptr;
        if (RowPoint(folders, 1, LVIR_ICON, point)) {
            PostMessageA(folders, WM_RBUTTONDOWN, MK_RBUTTON, point);
            rename = WaitForDialog("Rename folder", kOptionalWaitMs);
        }
        Save(walk, ui, rename, "rename-folder", kNameDialog);
        if (rename) ClickControl(rename, IDCANCEL);
        ui.wait();
        PostMessageA(folders, WM_RBUTTONUP, 0, point);
        ui.wait();

        ClickRow(folders, 0, LVIR_ICON);
        ClickControl(dialog, IDC_CARD_OPEN);
        ui.wait();
        ClickControl(dialog, IDC_CARD_SELECT_ALL);
        ui.wait();
        AnswerBoxes(ui, {dialog});
        HWND pcList = GetDlgItem(dialog, IDC_PC_LIST);
        std::vector<ListItem> rows = ListViewItems(pcList);
        int ticked = 0, previewed = -1;
        for (int row = 0; row < static_cast<int>(rows.size()) && ticked < 2; ++row) {
            if (rows[row].image != kUncheckedPicture) continue;
            ClickRow(pcList, row, LVIR_ICON);
            ui.wait();
            AnswerBoxes(ui, {dialog});
            ++ticked;
            previewed = row;
        }
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
            if (rows[row].text == kPreviewedDesign) previewed = row;
        if (previewed >= 0) ClickRow(pcList, previewed, LVIR_LABEL);
        ui.wait();
        Save(walk, ui, dialog, "main-dialog-designs", kMainDialog);
        ClickControl(dialog, IDCANCEL);
    });
}

// The single-design write dialog on a design held in memory, and its name dialog.
void WalkWriteDialog(Walk& walk, const std::string& designs) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((designs + "*.kxd").c_str(), &found);
    std::string path = designs + found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> design((std::istreambuf_iterator<char>(in)), {});
    RunDriven([&] { Kxcard().directWriteCard(nullptr, design.data(), static_cast<unsigned>(design.size()), ""); },
              [&](UiSync& ui) {
                  HWND dialog = WaitForDialog("Write a Design");
                  Save(walk, ui, dialog, "write-design", kWriteDialog);
                  if (!dialog) return;
                  ClickControl(dialog, IDC_NAME_BUTTON);
                  HWND name = WaitForDialog("Kxd Name", kOptionalWaitMs);
                  if (name) SetDlgItemTextA(name, IDC_NAME_EDIT, "ROSE");
                  Save(walk, ui, name, "design-name", kNameDialog);
                  if (name) ClickControl(name, IDCANCEL);
                  ui.wait();
                  ClickControl(dialog, IDCANCEL);
              });
}

}  // namespace
}  // namespace kx::wintest

int main(int argc, char** argv) {
    using namespace kx::wintest;
    if (argc != 3 || !Kxcard().complete()) {
        std::fprintf(stderr, "usage: dialog_screens DESIGNS_FOLDER OUT_FOLDER (with kxcard.dll on the path)\n");
        return 2;
    }
    Walk walk{std::string(argv[2]) + "\\"};
    WalkMainDialog(walk, argv[1]);
    WalkWriteDialog(walk, argv[1]);
    std::printf("%d saved, %d missing\n", walk.saved, walk.missing);
    return walk.saved == 0 ? 2 : walk.missing ? 1 : 0;
}
