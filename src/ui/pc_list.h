// The PC list (1067): the designs and subfolders of the current PC folder, or the drives
// under "My Computer", with ticks that keep the two halves of a tandem-hoop pair together.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "transfer/pairing.h"
#include "ui/design_list_view.h"

namespace kx {

class FolderTree;

// The refusal of a pair half whose counterpart is not in the folder.
extern const char* const kPairMissingMessage;

// Lives from the dialog's start-up to its teardown.
class PcList {
public:
    PcList(HWND dialog, int id, FolderTree& tree, PreviewDesign preview);
    // The list's messages go back to its own handling.
    ~PcList();
    PcList(const PcList&) = delete;
    PcList& operator=(const PcList&) = delete;

    // Lists the folder (or the drives for "My Computer"): nothing ticked, the counter at 0, the
    // preview cleared.
    void fill(const std::string& folder);
    // The path the Open button opens: the focused drive's, or the focused folder's with a
    // backslash added; nothing for a design or without a focused row.
    std::optional<std::string> focusedFolder() const;
    // Ticks (or unticks) every design.
    void setAllTicks(bool on) { list_.setAllTicks(on); }
    // Unticks the ticked pair halves whose counterpart is missing: true when there was one.
    bool untickUnpaired();
    int ticked() const { return list_.ticked(); }
    int size() const { return list_.size(); }
    std::vector<ListRow> listRows() const { return list_.listRows(); }
    void applyDpi(const win::Dpi& dpi) { list_.applyDpi(dpi); }

    // The list control's messages.
    LRESULT onMessage(HWND, UINT, WPARAM, LPARAM);

private:
    // A click on a row's picture, or Space on the focused row.
    void tickClick(int index);
    void previewRow(int index) const;
    void openRow(int index);

    HWND dialog_;
    FolderTree& tree_;
    PreviewDesign preview_;
    DesignListView list_;
    PairFinder pairs_;  // over the rows shown
};

}  // namespace kx
