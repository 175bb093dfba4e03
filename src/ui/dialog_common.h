// What the dialogs with a card half share: tooltips from a table, the card views, the two
// "Selected designs" counters, centring on the screen and the card check of every command.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

namespace kx {

// Sent by the folder tree to its dialog once the user chose a folder; lParam is the chosen
// item's ItemRecord or null.
inline constexpr UINT WM_FOLDER_CHOSEN = WM_USER + 102;

struct TooltipRow {
    int control;  // a negative id ends the table
    const char* text;
};
extern const TooltipRow MainDialogTips[];
// The write dialog's table holds the same rows.
extern const TooltipRow* const WriteDialogTips;

// A tooltip window owned by `dialog` with one tool per row up to the end row; texts are
// supplied on request by SupplyTooltipText.
HWND CreateTooltips(HWND dialog, const TooltipRow* table);
// Answers TTN_NEEDTEXTA from the first row whose control is the tool; other requests stay unanswered.
void SupplyTooltipText(HWND dialog, NMTTDISPINFOA& info, const TooltipRow* table);

enum CardView { CARD_VIEW_FOLDERS = 0, CARD_VIEW_DESIGNS = 1 };
// Shows one view of the card half; `name` (the open folder's display name) only for designs.
void SetCardView(HWND dialog, CardView view, const std::string& name = {});
// The view is read back from the design list's visibility, never stored.
bool InDesignView(HWND dialog);

void SetPcSelectedCount(HWND dialog, int n);
void SetCardSelectedCount(HWND dialog, int n);
void CenterOnScreen(HWND window);

// Work on a list of `rows` rows: when there are enough of them for it to take more than about
// half a second, the wait cursor from the start (left for the next mouse move to put back, as
// after a transfer) and the dialog painted as soon as the work ends.
class LongListWork {
public:
    LongListWork(HWND dialog, std::size_t rows);
    ~LongListWork();
    LongListWork(const LongListWork&) = delete;
    LongListWork& operator=(const LongListWork&) = delete;

private:
    HWND dialog_ = nullptr;  // null for short work
};

}  // namespace kx
