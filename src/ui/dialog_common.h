// What the dialogs with a card half share: tooltips from a table, the two "Selected designs"
// counters, the command code that re-checks the card, the end of the start-up and the wait
// for long list work.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

namespace kx {

// Sent by the folder tree to its dialog once the user chose a folder; lParam is the chosen
// item's ItemRecord or null.
inline constexpr UINT WM_FOLDER_CHOSEN = WM_USER + 102;

struct TooltipRow {
    int control;  // a negative id ends the table
    const char* text;
};
// The rows of both card dialogs.
extern const TooltipRow CardDialogTips[];

// A tooltip window owned by `dialog` with one tool per row up to the end row; texts are
// supplied on request by SupplyTooltipText.
HWND CreateTooltips(HWND dialog, const TooltipRow* table);
// Answers TTN_NEEDTEXTA from the first row whose control is the tool; other requests stay unanswered.
void SupplyTooltipText(HWND dialog, NMTTDISPINFOA& info, const TooltipRow* table);

// Every command whose notification code is 1 re-checks the card once it is handled: the drive
// combo's CBN_SELCHANGE, and the preview pane's STN_DBLCLK (its template asks for
// notifications). Buttons send only BN_CLICKED (0).
inline bool RechecksCard(int notificationCode) { return notificationCode == 1; }

// The counters, with the arrows (and the bin) that need a ticked design.
void SetPcSelectedCount(HWND dialog, int n);
void SetCardSelectedCount(HWND dialog, int n);

// The end of a card dialog's start-up: centred on the screen, shown and painted.
void ShowStartedDialog(HWND dialog);

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
