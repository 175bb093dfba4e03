// Tooltips, counters and the end of the start-up for the card dialogs.
#include "ui/dialog_common.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdio>

#include "resource_ids.h"
#include "ui/dialog_support.h"
#include "ui/win/module.h"

namespace kx {

// The rows for ids 1 and 2 repeat on purpose: the first row for a control is the one shown.
const TooltipRow CardDialogTips[] = {
    {IDC_PREVIEW_PANE, "Preview Window."},
    {IDC_PREVIEW_CHECK, "Automatically showed by selecting design."},
    {IDC_CARD_SELECT_ALL, "Select all designs at once."},
    {IDOK, "Start to receive designs."},
    {IDCANCEL, "Cancel"},
    {IDC_CARD_COUNT, "Read number of selected designs."},
    {IDOK, "Select Folder."},
    {IDCANCEL, "Cancel"},
    {-1, nullptr},
};

namespace {

// The tool description up to its lParam (the version 2 size): 44 bytes on the 32-bit build.
constexpr UINT kToolInfoSize = offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM);
#ifndef _WIN64
static_assert(kToolInfoSize == 44, "the tool description of the 32-bit build");
#endif

void ShowCountText(HWND dialog, int counterId, int n) {
    char text[48];
    std::snprintf(text, sizeof text, "Selected designs : %d", n);
    SetDlgItemTextA(dialog, counterId, text);
}

// A command button that needs a ticked design, on or off. A button the user just pressed may be
// the one switched off: the focus moves on first, as Tab would, or the keys would reach nothing.
void EnableCommand(HWND dialog, int id, bool on) {
    HWND button = GetDlgItem(dialog, id);
    if (!on && GetFocus() == button) SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(button, on);
}

}  // namespace

HWND CreateTooltips(HWND dialog, const TooltipRow* table) {
    HINSTANCE module = win::ThisModule();
    HWND tips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, module, nullptr);
    if (!tips) return nullptr;
    for (const TooltipRow* row = table; row->control >= 0; ++row) {
        TTTOOLINFOA tool{};
        tool.cbSize = kToolInfoSize;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, row->control));
        tool.hinst = module;
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tips;
}

void SupplyTooltipText(HWND dialog, NMTTDISPINFOA& info, const TooltipRow* table) {
    for (const TooltipRow* row = table; row->control >= 0; ++row) {
        if (reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, row->control)) == info.hdr.idFrom) {
            info.hinst = nullptr;
            info.lpszText = const_cast<char*>(row->text);
            return;
        }
    }
}

void SetPcSelectedCount(HWND dialog, int n) {
    EnableCommand(dialog, IDC_WRITE_ARROW, n >= 1);
    ShowCountText(dialog, IDC_PC_COUNT, n);
}

void SetCardSelectedCount(HWND dialog, int n) {
    EnableCommand(dialog, IDC_READ_ARROW, n >= 1);
    EnableCommand(dialog, IDC_ERASE, n >= 1);
    ShowCountText(dialog, IDC_CARD_COUNT, n);
}

// Filling, ticking or reading the headers of this many rows takes about half a second under Wine.
constexpr std::size_t kLongListRows = 5000;

LongListWork::LongListWork(HWND dialog, std::size_t rows) {
    if (rows < kLongListRows) return;
    dialog_ = dialog;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

LongListWork::~LongListWork() {
    if (dialog_) RedrawWindow(dialog_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void ShowStartedDialog(HWND dialog) {
    CenterOnScreen(dialog);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
}

}  // namespace kx
