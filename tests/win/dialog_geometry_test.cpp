// The dialogs whole at the screen's dpi (scripts/wine-tests.sh runs this program at 96, 144 and
// 192 dpi, built once for the classic common controls and once, as dialog_geometry_v6_test, with
// a manifest for the version 6 ones): no text cut (each control at least as high as its font's
// lines), the folder tree showing all its rows up to its limit, a long design name whole in its
// column, and every picture and icon at the size the dpi asks for, the lists' pictures the ones
// drawn for that size. Measured from the controls' rectangles, fonts and image lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "harness/harness.h"
#include "resource_ids.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

// A long name that the list shows whole at 96 dpi.
const char* const kLongName = "BUTTERFLY-GARDEN.kxd";

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The small pictures' size at each dpi the rig runs (100, 150 and 200 %).
int SmallPicture(int dpi) { return std::map<int, int>{{96, 16}, {144, 24}, {192, 32}}.at(dpi); }

int FontHeight(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

// The height the control's font was asked for (negative: the character height).
LONG FaceHeight(HWND control) {
    LOGFONTA face{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof face, &face);
    return face.lfHeight;
}

int ClientHeight(HWND control) {
    RECT r{};
    GetClientRect(control, &r);
    return r.bottom;
}

std::string ClassOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

int IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

int ImageListSize(HIMAGELIST list) {
    int cx = 0, cy = 0;
    return list && ImageList_GetIconSize(list, &cx, &cy) && cx == cy ? cx : 0;
}

// The colours of a size x size square of `dc` at (left, 0), row by row.
std::vector<COLORREF> Pixels(HDC dc, int left, int size) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, left + x, y));
    return pixels;
}

// Picture `index` of an image list, drawn on white.
std::vector<COLORREF> ListPicture(HIMAGELIST list, int index, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, canvas);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels = Pixels(dc, 0, size);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Cell `index` of the DLL's strip `id` drawn with `size`-pixel cells, as the build made it (the
// strip's white is what the list masks out, so it shows the white the list was drawn on).
std::vector<COLORREF> DrawnCell(int id, int baseSize, int index, int size) {
    HMODULE dll = GetModuleHandleA("kxcard.dll");
    const int drawn = size == baseSize ? id : KX_PICTURE_AT(id, size);
    HBITMAP strip = static_cast<HBITMAP>(LoadImageA(dll, MAKEINTRESOURCEA(drawn), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!strip) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    std::vector<COLORREF> pixels = Pixels(dc, index * size, size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(strip);
    return pixels;
}

// Every visible text-bearing child (static text, push button, check box, combo face) at least as
// high as its font; group boxes and frames have no line to cut.
void ExpectTextWhole(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        const std::string kind = ClassOf(c), text = WindowText(c);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const int id = GetDlgCtrlID(c);
        if (kind == "ComboBox") {
            EXPECT_GE(SendMessageA(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), FontHeight(c)) << "combo " << id;
        } else if (kind == "Button" && (style & BS_TYPEMASK) != BS_GROUPBOX && !(style & BS_ICON)) {
            EXPECT_GE(ClientHeight(c), FontHeight(c)) << "button " << id << " " << text;
        } else if (kind == "Static" && !text.empty() && (style & SS_TYPEMASK) <= SS_RIGHT) {
            EXPECT_GE(ClientHeight(c), FontHeight(c)) << "static " << id << " " << text;
        }
    }
}

// The card folders' pictures, each with its name, overlap none of their neighbours.
void ExpectFolderIconsApart(HWND dialog) {
    HWND folders = GetDlgItem(dialog, IDC_FOLDER_LIST);
    const int count = static_cast<int>(SendMessageA(folders, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_GE(count, 5);
    std::vector<RECT> shown;
    for (int i = 0; i < count; ++i) {
        RECT r{LVIR_ICON, 0, 0, 0};
        SendMessageA(folders, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        shown.push_back(r);
    }
    for (std::size_t i = 1; i < shown.size(); ++i) {
        RECT both{};
        EXPECT_FALSE(IntersectRect(&both, &shown[i - 1], &shown[i])) << "folders " << i - 1 << " and " << i;
    }
}

// The icon of a button or static control.
int ControlIconSize(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    HANDLE icon = ClassOf(c) == "Button" ? reinterpret_cast<HANDLE>(SendMessageA(c, BM_GETIMAGE, IMAGE_ICON, 0))
                                         : reinterpret_cast<HANDLE>(SendMessageA(c, STM_GETICON, 0, 0));
    return IconSize(static_cast<HICON>(icon));
}

TEST(Geometry, TheDialogsAreWholeAtTheScreensDpi) {
    const std::string card = CardRoot();
    if (card.empty()) GTEST_SKIP() << "outside the Wine rig";
    const int dpi = ScreenDpi(), small = SmallPicture(dpi);
    if (const char* expected = std::getenv("KX_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the rig's dpi did not take";
    }
    EmptyFolder(card);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string pc = folder + ("kx-geometry-" + std::to_string(GetCurrentProcessId())) + "\\";
    EmptyFolder(pc);
    WriteFile(pc + kLongName, samples::MakeSampleDesigns().front().bytes);
    pc.copy(folder, MAX_PATH - 1);
    Steps step;
    step("dialog 101");
    RunDialog([&] { ConnectCardDlg(nullptr, folder); }, "Write Designs, Read and Erase", [&](UiSync& ui, HWND dialog) {
        ui.step("the controls' common controls: version 6 only with the manifest (an ideal size answered)");
        SIZE ideal{};
        EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDCANCEL), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0,
                  KX_COMMON_CONTROLS_V6 != 0);
        ui.step("no text cut");
        ExpectTextWhole(dialog);
        HWND pcList = GetDlgItem(dialog, IDC_PC_LIST);
        ui.step("the long name whole in its column");
        char name[64] = {};
        strcpy(name, kLongName);
        RECT label{};
        label.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(pcList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label)));
        EXPECT_GE(label.right - label.left, SendMessageA(pcList, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(name)) + 4);
        ui.step("pictures and icons at the dpi's size");
        EXPECT_EQ(ImageListSize(reinterpret_cast<HIMAGELIST>(SendMessageA(pcList, LVM_GETIMAGELIST, LVSIL_SMALL, 0))), small);
        EXPECT_EQ(ImageListSize(reinterpret_cast<HIMAGELIST>(
                      SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, LVM_GETIMAGELIST, LVSIL_NORMAL, 0))), small * 2);
        ui.step("the pictures are the ones drawn for the size, not a smaller one stretched");
        HIMAGELIST pictures = reinterpret_cast<HIMAGELIST>(SendMessageA(pcList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        for (int index : {0, 11}) {  // a folder and the ticked box
            const std::vector<COLORREF> drawn = DrawnCell(IDB_LIST_PICTURES, 16, index, small);
            EXPECT_EQ(drawn.size(), static_cast<std::size_t>(small * small)) << "no strip drawn at " << small;
            EXPECT_TRUE(ListPicture(pictures, index, small) == drawn) << "picture " << index;
        }
        HIMAGELIST folders = reinterpret_cast<HIMAGELIST>(SendDlgItemMessageA(dialog, IDC_FOLDER_LIST, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
        EXPECT_TRUE(ListPicture(folders, 0, 2 * small) == DrawnCell(IDB_CARD_FOLDERS, 32, 0, 2 * small)) << "card folder";
        for (int id : {IDC_WRITE_ARROW, IDC_READ_ARROW, IDC_ERASE}) EXPECT_EQ(ControlIconSize(dialog, id), small * 3 / 2) << id;
        EXPECT_EQ(ControlIconSize(dialog, IDC_FOLDER_UP), small);
        for (int id : {IDC_COMPUTER_ICON, IDC_CARD_ICON}) EXPECT_EQ(ControlIconSize(dialog, id), small * 2) << id;
        SaveWindowIfAsked(ui, dialog, "main-dialog-" + std::to_string(dpi));

        ui.step("the folder tree shows all its rows up to fourteen");
        PostMessageA(GetDlgItem(dialog, IDC_LOCATION_COMBO), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(GetDlgItem(dialog, IDC_LOCATION_COMBO), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ui.wait();
        HWND tree = FindWindowExA(nullptr, nullptr, WC_TREEVIEWA, nullptr);
        ASSERT_TRUE(tree && IsWindowVisible(tree));
        const int rows = std::min(static_cast<int>(TreeViewItems(tree).size()), 14);
        EXPECT_GE(rows, 4);
        EXPECT_GE(SendMessageA(tree, TVM_GETVISIBLECOUNT, 0, 0), rows);
        EXPECT_EQ(ImageListSize(reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0))), small);
        PressKey(ui, VK_ESCAPE);

        ui.step("moved to a screen of twice the dpi: the suggested rectangle, pictures and faces twice as large");
        RECT before{}, suggested{};
        GetWindowRect(dialog, &before);
        HWND combo = GetDlgItem(dialog, IDC_DRIVE_COMBO);
        const LONG face = FaceHeight(combo);
        ASSERT_NE(face, 0);
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), 0);  // no rectangle: not the system's
        RECT unmoved{};
        GetWindowRect(dialog, &unmoved);
        EXPECT_TRUE(EqualRect(&unmoved, &before));
        EXPECT_EQ(FaceHeight(combo), face);
        suggested = {before.left, before.top, before.left + 2 * (before.right - before.left), before.top + 2 * (before.bottom - before.top)};
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT after{};
        GetWindowRect(dialog, &after);
        EXPECT_TRUE(EqualRect(&after, &suggested));
        EXPECT_EQ(ImageListSize(reinterpret_cast<HIMAGELIST>(SendMessageA(pcList, LVM_GETIMAGELIST, LVSIL_SMALL, 0))), 2 * small);
        EXPECT_EQ(ControlIconSize(dialog, IDC_WRITE_ARROW), 3 * small);
        EXPECT_GE(SendDlgItemMessageA(dialog, IDC_DRIVE_COMBO, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0),
                  MulDiv(14, 2 * dpi, 96));  // the face's 14 pixels at the new dpi (Wine adds its padding)
        EXPECT_EQ(FaceHeight(combo), 2 * face);
        EXPECT_EQ(FaceHeight(GetDlgItem(dialog, IDC_PC_LIST)), 2 * face);
        ExpectFolderIconsApart(dialog);
        SaveWindowIfAsked(ui, dialog, "main-dialog-moved-to-" + std::to_string(2 * dpi));

        ui.step("moved back: the controls' font as the template made it, every text whole");
        SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&before));
        EXPECT_EQ(FaceHeight(combo), face);
        ExpectTextWhole(dialog);
        ExpectFolderIconsApart(dialog);
        CloseWithCloseBox(dialog);
    });
    step("dialogs 105 and 106");
    std::vector<std::uint8_t> design = samples::MakeSampleDesigns().front().bytes;
    RunDialog([&] { DirectWriteCard(nullptr, design.data(), static_cast<unsigned>(design.size()), "HEART"); }, "Write a Design",
              [&](UiSync& ui, HWND dialog) {
        ExpectTextWhole(dialog);
        EXPECT_EQ(ControlIconSize(dialog, IDC_WRITE_ARROW), small * 3 / 2);
        ClickControl(dialog, IDC_NAME_BUTTON);
        HWND name = WaitForDialog("Kxd Name");
        ASSERT_NE(name, nullptr);
        ui.wait();
        ExpectTextWhole(name);
        ClickControl(name, IDCANCEL);
        ui.wait();
        CloseWithCloseBox(dialog);
    });
    EmptyFolder(pc);
}

}  // namespace
}  // namespace kx::wintest
