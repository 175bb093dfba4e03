// The PC list (1067): the designs and subfolders of the current PC folder, or the drives
// under "My Computer", with ticks that keep the two halves of a tandem-hoop pair together.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "transfer/pairing.h"
#include "ui/win/gdi.h"
#include "ui/win/list_view.h"

namespace kx {

class FolderTree;

// The refusal of a pair half whose counterpart is not in the folder.
extern const char* const kPairMissingMessage;

class PcList {
public:
    PcList() = default;
    PcList(const PcList&) = delete;
    PcList& operator=(const PcList&) = delete;

    void PcListCreate(HWND dialog, int id, FolderTree& tree);
    // Lists the folder (or the drives for "My Computer"): nothing ticked, the counter at 0, the
    // preview cleared.
    void PcListFill(const std::string& folder);
    // The focused row's kind (0 drive, 1 folder, 2 design) with its path, a backslash added for
    // a folder; -1 without a focused row.
    int PcListOpenFocused(std::string& path) const;
    // Ticks (or unticks) every design.
    void PcListSetAllChecks(bool on);
    // Unticks the ticked pair halves whose counterpart is missing: true when there was one.
    bool PcListUncheckUnpaired();
    int PcListTicked() const { return ticked_; }
    void PcListDestroy();

    const win::ListView& list() const { return list_; }
    // Shows a design (a path) or clears the pane (null).
    std::function<void(const std::string* path)> preview;

    static LRESULT CALLBACK PcListProc(HWND, UINT, WPARAM, LPARAM);

private:
    LRESULT onMessage(HWND, UINT, WPARAM, LPARAM);
    void tickClick(int index);
    void previewRow(int index) const;
    void openRow(int index);

    HWND dialog_ = nullptr;
    FolderTree* tree_ = nullptr;
    win::ListView list_;
    win::ImageList images_;
    PairFinder pairs_;  // over the rows of the last fill
    int ticked_ = 0;    // ticked designs
};

}  // namespace kx
