// The card drive combo (1001): the drives that may hold the card; the selected one is the
// card drive every card command uses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/win/combo_box.h"
#include "ui/win/dpi.h"

namespace kx {

// Lives from its dialog's start-up to its teardown.
class DriveCombo {
public:
    DriveCombo(HWND dialog, int id);
    // The records go with the entries.
    ~DriveCombo();
    DriveCombo(const DriveCombo&) = delete;
    DriveCombo& operator=(const DriveCombo&) = delete;

    // Lists the drives and selects the first removable one: false when there is none.
    bool fill();
    // The selected drive's root ("E:\"); nothing without a selection.
    std::optional<std::string> selectedRoot() const;
    // The face 14 pixels high at 96 dpi.
    void applyDpi(const win::Dpi& dpi) { combo_.setItemHeight(-1, dpi.scale(14)); }

    // The combo's messages: a press or the Down key opens or closes the drop-down.
    LRESULT onMessage(HWND, UINT, WPARAM, LPARAM);

private:
    win::ComboBox combo_;
};

}  // namespace kx
