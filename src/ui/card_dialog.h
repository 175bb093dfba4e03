// What both card dialogs (101 and 105) are: a dialog with a card half and the tooltips of one
// table. A button's click goes to the dialog's onClick; every command whose notification code
// is 1 then re-checks the card.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <vector>

#include "ui/card_half.h"
#include "ui/win/dialog_base.h"
#include "ui/win/dpi.h"
#include "ui/win/gdi.h"

namespace kx {

// An icon a control shows (a button's or a static's), `size` pixels square at 96 dpi.
struct ControlIcon {
    int control, icon, size;
};

class CardDialog : public win::Dialog {
protected:
    // Every size the dialog sets itself, at `dpi`: from startCard, and when the dialog moves to
    // a screen of another dpi. The one place the dialogs' pixel sizes meet the dpi.
    void applyDpi(const win::Dpi& dpi);
    // The dialog's own sizes beyond the card half and the icons (the parts made so far).
    virtual void applyOwnSizes(const win::Dpi& /*dpi*/) {}
    // The icons of the dialog's buttons.
    virtual std::span<const ControlIcon> buttonIcons() const = 0;
    const win::Dpi& dpi() const { return dpi_; }

    // The table's tooltips, owned by the dialog and destroyed with it.
    void addTooltips() const;
    // Makes the card half and finds the card: false when Cancel at the no-card prompt ended the
    // dialog.
    bool startCard(PreviewDesign preview);
    virtual void onClick(int id) = 0;

    INT_PTR OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header, LPARAM lParam) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTeardown() override { card_.reset(); }

    std::optional<CardHalf> card_;  // from the start-up to the teardown

private:
    void showIcons(std::span<const ControlIcon> icons, const win::Dpi& dpi);
    // WM_DPICHANGED: the suggested rectangle, the controls moved and sized in proportion, then
    // what the dialog sized itself.
    void onDpiChanged(const win::Dpi& dpi, const RECT& suggested);
    // The controls' font made again at to / from of its height: the template's font is made
    // once, at the dpi the dialog started at.
    void scaleFont(int to, int from);

    std::vector<win::Icon> icons_;
    win::Font font_;  // after a dpi change, the font every control shows
    win::Dpi dpi_;
};

}  // namespace kx
