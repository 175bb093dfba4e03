// The card dialogs' commands, tooltips and card half.
#include "ui/card_dialog.h"

#include <commctrl.h>

#include "resource_ids.h"
#include "ui/dialog_common.h"
#include "ui/win/button.h"
#include "ui/win/module.h"
#include "ui/win/static_control.h"

namespace kx {

void CardDialog::addTooltips() const { CreateTooltips(hwnd(), CardDialogTips); }

namespace {

// The machine and card pictures both card dialogs show beside their arrows.
constexpr ControlIcon kSideIcons[] = {{IDC_COMPUTER_ICON, IDI_COMPUTER, 32}, {IDC_CARD_ICON, IDI_PC_CARD, 32}};

// Runs `each` on every control of the dialog; a control's own parts (a combo's edit, a list's
// header) follow their control.
template <class Each>
void ForEachControl(HWND dialog, Each each) {
    struct Visit {
        HWND dialog;
        Each& each;
        static BOOL CALLBACK Child(HWND child, LPARAM param) {
            auto& visit = *reinterpret_cast<Visit*>(param);
            if (GetParent(child) == visit.dialog) visit.each(child);
            return TRUE;
        }
    } visit{dialog, each};
    EnumChildWindows(dialog, Visit::Child, reinterpret_cast<LPARAM>(&visit));
}

// Each control moved and sized by to / from, as the dialog units of the template would have
// placed it at the new dpi.
void ScaleControls(HWND dialog, int to, int from) {
    ForEachControl(dialog, [&](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, MulDiv(r.left, to, from), MulDiv(r.top, to, from), MulDiv(r.right - r.left, to, from),
                     MulDiv(r.bottom - r.top, to, from), SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

}  // namespace

bool CardDialog::startCard(PreviewDesign preview) {
    card_.emplace(hwnd(), std::move(preview));
    applyDpi(win::Dpi::Of(hwnd()));
    if (card_->discoverCard() != DiscoverOutcome::Cancelled) return true;
    EndDialog(hwnd(), IDCANCEL);
    return false;
}

void CardDialog::applyDpi(const win::Dpi& dpi) {
    dpi_ = dpi;
    std::vector<win::Icon> shown = std::move(icons_);  // let go once the controls show the new ones
    icons_.clear();
    showIcons(kSideIcons, dpi);
    showIcons(buttonIcons(), dpi);
    if (card_) card_->applyDpi(dpi);
    applyOwnSizes(dpi);
}

void CardDialog::showIcons(std::span<const ControlIcon> icons, const win::Dpi& dpi) {
    for (const ControlIcon& shown : icons) {
        win::Icon icon(win::LoadIconAt(win::ThisModule(), shown.icon, dpi.scale(shown.size)));
        HWND control = GetDlgItem(hwnd(), shown.control);
        char kind[16] = {};
        GetClassNameA(control, kind, sizeof kind);
        if (lstrcmpiA(kind, "Static") == 0) win::StaticControl(control).setIcon(icon.get());
        else win::Button(control).setIcon(icon.get());
        icons_.push_back(std::move(icon));  // shown until the dialog goes
    }
}

INT_PTR CardDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // One without its rectangle comes from another program, not the system: nothing to follow.
    if (message != WM_DPICHANGED || lParam == 0) return FALSE;
    onDpiChanged(win::Dpi(HIWORD(wParam)), *reinterpret_cast<const RECT*>(lParam));
    return TRUE;
}

void CardDialog::onDpiChanged(const win::Dpi& dpi, const RECT& suggested) {
    const int to = dpi.value(), from = dpi_.value();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ScaleControls(hwnd(), to, from);
    // Before the parts size themselves: a new font makes a combo and a list measure again.
    scaleFont(to, from);
    applyDpi(dpi);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CardDialog::scaleFont(int to, int from) {
    // The dialog keeps the template's font as its own (its dialog units, and it deletes it at
    // the end); only the controls are handed the new one.
    LOGFONTA face{};
    HFONT shown = font_ ? font_.get() : reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    if (!shown || GetObjectA(shown, sizeof face, &face) != sizeof face) return;
    face.lfHeight = MulDiv(face.lfHeight, to, from);
    win::Font font(CreateFontIndirectA(&face));
    if (!font) return;
    const auto handed = reinterpret_cast<WPARAM>(font.get());
    ForEachControl(hwnd(), [&](HWND child) { SendMessageA(child, WM_SETFONT, handed, FALSE); });
    font_ = std::move(font);  // the one it replaces is shown nowhere now
}

INT_PTR CardDialog::OnCommand(int id, int code, HWND) {
    // A notification from a control torn down with the dialog finds nothing to act on.
    if (!card_) return TRUE;
    if (code == BN_CLICKED) onClick(id);
    if (RechecksCard(code)) card_->recheckCard();
    return TRUE;
}

INT_PTR CardDialog::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.code == TTN_NEEDTEXTA) SupplyTooltipText(hwnd(), *reinterpret_cast<NMTTDISPINFOA*>(lParam), CardDialogTips);
    // No message result is set: every notification takes its default outcome.
    return TRUE;
}

}  // namespace kx
