// The PC list: filling from a folder or from the drives, tick clicks with the pair rule,
// opening folders and drives.
#include "ui/pc_list.h"

#include "platform/messages.h"
#include "transfer/design_lists.h"
#include "ui/dialog_common.h"
#include "ui/dialog_support.h"
#include "ui/folder_tree.h"
#include "ui/win/item_record.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

using PcListSubclass = win::Subclass<PcList, &PcList::onMessage>;

constexpr int kFolderPicture = 0;

const char* const kPairSelected = "This pattern is for the Tandem Hoop.\nThe counterpart of paired files will also be selected.";
const char* const kPairCancelled =
    "This pattern is for the Tandem Hoop.\nSelection of the counterpart of paired files will also be canceled.";

std::vector<ShownRow> DriveRows(const FolderTree& tree) {
    std::vector<ShownRow> rows;
    for (FolderTree::Child& drive : tree.CurrentChildren())
        rows.push_back({std::move(drive.label), std::move(drive.path), RowKind::Drive, drive.image});
    return rows;
}

std::vector<ShownRow> FolderRows(const std::string& folder, std::size_t& firstFound) {
    std::vector<ShownRow> rows;
    for (PcEntry& entry : ListPcFolder(folder, kItemPathMax, &firstFound)) {
        RowKind kind = entry.kind == PcEntryKind::Design ? RowKind::Design : RowKind::Folder;
        rows.push_back({std::move(entry.name), std::move(entry.path), kind, kFolderPicture});
    }
    return rows;
}

// What opening a drive or folder row opens: a folder's path with a backslash added.
std::optional<std::string> OpenedPath(const ShownRow* row) {
    if (!row || row->kind == RowKind::Design) return std::nullopt;
    return row->path + (row->kind == RowKind::Folder ? "\\" : "");
}

}  // namespace

const char* const kPairMissingMessage =
    "This pattern is for the Tandem Hoop.\nThe file cannot be selected since the counterpart does not exist in this folder.";

PcList::PcList(HWND dialog, int id, FolderTree& tree, PreviewDesign preview)
    : dialog_(dialog), tree_(tree), preview_(std::move(preview)), list_(dialog, id) {
    PcListSubclass::Attach(list_.hwnd(), this);
}

PcList::~PcList() { PcListSubclass::Detach(list_.hwnd()); }

void PcList::fill(const std::string& folder) {
    SetPcSelectedCount(dialog_, 0);
    preview_(nullptr);
    std::vector<ShownRow> rows;
    int keepVisible = -1;  // the drives keep the tree's order: nothing to scroll to
    if (lstrcmpiA(folder.c_str(), kMyComputer) == 0) {
        rows = DriveRows(tree_);
    } else {
        std::size_t firstFound = 0;
        rows = FolderRows(folder, firstFound);
        // The listing's first entry was the topmost row before the sort: it stays in view.
        keepVisible = static_cast<int>(firstFound);
    }
    LongListWork work(dialog_, rows.size());
    list_.show(std::move(rows), keepVisible);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(list_.size()));
    for (int i = 0; i < list_.size(); ++i) names.push_back(list_.row(i)->name);
    pairs_ = PairFinder(names);
}

std::optional<std::string> PcList::focusedFolder() const { return OpenedPath(list_.row(list_.focused())); }

bool PcList::untickUnpaired() {
    std::vector<std::size_t> unpaired = UnpairedTickedHalves(list_.listRows(), pairs_);
    for (std::size_t index : unpaired) list_.toggle(static_cast<int>(index));
    return !unpaired.empty();
}

void PcList::previewRow(int index) const {
    const ShownRow* row = list_.row(index);
    if (row) preview_(row->kind == RowKind::Design ? &row->path : nullptr);
}

void PcList::tickClick(int index) {
    bool nowTicked = list_.toggle(index);
    const ShownRow* row = list_.row(index);
    if (row && IsPairPartFile(row->path)) {
        int counterpart = pairs_.counterpart(static_cast<std::size_t>(index));
        if (counterpart >= 0) {
            ShowMessage(Owner(dialog_), nowTicked ? kPairSelected : kPairCancelled, "Confirm", mb::ICONINFORMATION);
            list_.toggle(counterpart);
        } else {
            ShowMessage(Owner(dialog_), kPairMissingMessage, "Attention", mb::ICONEXCLAMATION);
            list_.toggle(index);
        }
    }
    SetPcSelectedCount(dialog_, list_.ticked());
}

void PcList::openRow(int index) {
    std::optional<std::string> path = OpenedPath(list_.row(index));
    if (!path) return;
    tree_.SelectFolderPath(*path);
    fill(*path);
}

LRESULT PcList::onMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DesignListView::IsTickKey(message, wParam)) {
        int focused = list_.focused();
        if (message == WM_KEYDOWN && focused >= 0) win::Dialog::RunCommand(dialog_, [&] { tickClick(focused); });
        return 0;
    } else if (message == WM_KEYDOWN) {
        int target = list_.arrowTarget(wParam);
        if (target >= 0) previewRow(target);
    } else if (message == WM_LBUTTONDOWN) {
        UINT flags = 0;
        int hit = list_.hitTest(lParam, &flags);
        if (hit >= 0) {
            // A pair half's tick says so in a message box.
            if (flags == LVHT_ONITEMICON) win::Dialog::RunCommand(dialog_, [&] { tickClick(hit); });
            previewRow(hit);
        }
    } else if (message == WM_LBUTTONDBLCLK) {
        openRow(list_.hitTest(lParam));
        return 0;
    }
    return PcListSubclass::CallPrevious(list, message, wParam, lParam);
}

}  // namespace kx
