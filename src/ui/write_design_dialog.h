// Dialog 105: the host's direct writes (one design from memory, or the designs of a list file)
// into a card folder the user picks, under a name the user may change.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "transfer/card_transfers.h"
#include "ui/card_dialog.h"
#include "ui/win/gdi.h"

namespace kx {

// The caller fills the inputs, runs the dialog (`run(IDD_WRITE_DESIGN, parent)`) and reads
// designName back.
class WriteDesignDialog : public CardDialog {
public:
    // True: the write stores hostDesign; false: the designs fileListPath lists.
    bool fromMemory = false;
    std::span<std::uint8_t> hostDesign;  // the host's bytes, changed in place by the write
    std::string fileListPath;
    // In: the name the design is stored under. Out: as the Name button's dialog last left it.
    std::string designName;

protected:
    INT_PTR OnInitDialog() override;
    void onClick(int id) override;
    std::span<const ControlIcon> buttonIcons() const override;

private:
    void showDesignName() const;
    void onWrite();
    void onName();
    // The write the caller chose, into `card`'s current folder.
    TransferResult write(const CardTarget& card);
};

}  // namespace kx
