// The card half: which list is shown, the card checks before its own actions, and the clicks on
// its two lists.
#include "ui/card_half.h"

#include "card/card_drives.h"
#include "resource_ids.h"
#include "transfer/design_lists.h"
#include "ui/dialog_common.h"
#include "ui/dialog_support.h"
#include "ui/folder_rename_dialog.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

using FolderListSubclass = win::Subclass<CardHalf, &CardHalf::onFolderListMessage>;
using DesignListSubclass = win::Subclass<CardHalf, &CardHalf::onDesignListMessage>;

void ShowControl(HWND dialog, int id, bool on) { ShowWindow(GetDlgItem(dialog, id), on ? SW_SHOW : SW_HIDE); }

}  // namespace

CardHalf::CardHalf(HWND dialog, PreviewDesign preview)
    : dialog_(dialog), preview_(std::move(preview)), drives_(dialog, IDC_DRIVE_COMBO),
      folders_(dialog, IDC_FOLDER_LIST), designs_(dialog, IDC_DESIGN_LIST) {
    FolderListSubclass::Attach(folders_.hwnd(), this);
    DesignListSubclass::Attach(designs_.hwnd(), this);
}

CardHalf::~CardHalf() {
    FolderListSubclass::Detach(folders_.hwnd());
    DesignListSubclass::Detach(designs_.hwnd());
}

DiscoverOutcome CardHalf::discoverCard() {
    DiscoverOutcome outcome = DiscoverOutcome::Done;
    if (drives_.fill()) {
        std::string root = drives_.selectedRoot().value_or("");
        if (!DriveHasMedia(root)) outcome = DiscoverOutcome::NoMedia;
        else if (folders_.checkLayout(Owner(dialog_), root)) folders_.fill(root);
    } else if (AskForCard(Owner(dialog_)) == id::CANCEL) {
        return DiscoverOutcome::Cancelled;
    }
    showView(CardView::Folders);
    SetCardSelectedCount(dialog_, 0);
    return outcome;
}

void CardHalf::recheckCard() {
    std::optional<std::string> root = cardDrive();
    if (!root) return;
    if (DriveHasMedia(*root) && folders_.checkLayout(Owner(dialog_), *root)) {
        folders_.fill(*root);
        return;
    }
    // Deliberately past the rule that a failed check leaves the lists as they were: lists still
    // showing another drive's card would let Write, Read, Erase and Open act on that card while
    // the flush goes to this one. A newly chosen drive without a usable card empties them, so no
    // command can reach the other card.
    if (*root != folders_.shownRoot()) emptyLists();
}

void CardHalf::applyDpi(const win::Dpi& dpi) {
    drives_.applyDpi(dpi);
    folders_.applyDpi(dpi);
    designs_.applyDpi(dpi);
}

void CardHalf::emptyLists() {
    folders_.clear();
    designs_.clear();
    SetCardSelectedCount(dialog_, 0);
}

void CardHalf::showView(CardView view, const std::string& name) {
    view_ = view;
    bool designs = view == CardView::Designs;
    if (designs) SetDlgItemTextA(dialog_, IDC_OPEN_FOLDER_NAME, ("Folder : " + name).c_str());
    ShowControl(dialog_, IDC_DRIVE_COMBO, !designs);
    ShowControl(dialog_, IDC_FOLDER_LIST, !designs);
    ShowControl(dialog_, IDC_OPEN_FOLDER_NAME, designs);
    ShowControl(dialog_, IDC_DESIGN_LIST, designs);
    SetDlgItemTextA(dialog_, IDC_CARD_OPEN, designs ? "Folder" : "Open");
}

void CardHalf::fillDesigns(const std::string& folderPath) {
    SetCardSelectedCount(dialog_, 0);
    std::vector<ShownRow> rows;
    std::size_t firstFound = 0;
    for (ListRow& row : ListDesignFiles(folderPath, &firstFound))
        rows.push_back({std::move(row.name), std::move(row.path), RowKind::Design});
    LongListWork work(dialog_, rows.size());
    // The listing's first file was the topmost row before the sort: it stays in view.
    designs_.show(std::move(rows), static_cast<int>(firstFound));
}

void CardHalf::showDesigns(const CardFolderList::Folder& folder) {
    fillDesigns(folder.path);
    showView(CardView::Designs, folder.name);
}

std::optional<std::string> CardHalf::readyCardDrive() const {
    std::optional<std::string> root = cardDrive();
    if (!root || !CheckCardReady(Owner(dialog_), *root)) return std::nullopt;
    return root;
}

void CardHalf::onOpenButton() {
    std::optional<std::string> root = readyCardDrive();
    if (!root) return;
    if (inDesignView()) {
        if (!folders_.checkLayout(Owner(dialog_), *root)) return;
        folders_.fill(*root);
        showView(CardView::Folders);
    } else {
        std::optional<CardFolderList::Folder> folder = folders_.current();
        if (!folder) return;
        showDesigns(*folder);
    }
    SetCardSelectedCount(dialog_, 0);
}

void CardHalf::selectAllDesigns() {
    if (!inDesignView()) return;
    LongListWork work(dialog_, static_cast<std::size_t>(designs_.size()));
    designs_.setAllTicks(true);
    SetCardSelectedCount(dialog_, designs_.ticked());
}

void CardHalf::refreshAfterWrite(const std::string& root) {
    if (inDesignView()) {
        refillDesigns();
    } else if (folders_.checkLayout(Owner(dialog_), root)) {
        folders_.fill(root);
    }
}

void CardHalf::refillDesigns() {
    std::optional<CardFolderList::Folder> folder = folders_.current();
    if (!folder) return;
    fillDesigns(folder->path);
    SetCardSelectedCount(dialog_, 0);
}

void CardHalf::untickDesigns() {
    designs_.setAllTicks(false);
    SetCardSelectedCount(dialog_, 0);
}

CardTarget CardHalf::target(const std::string& root) const {
    CardTarget target{std::nullopt, root};
    // The folder list's folder is one of the card it shows, which is the checked drive's or none.
    std::optional<CardFolderList::Folder> folder = folders_.current();
    if (folder && folders_.shownRoot() == root) target.folder = folder->path;
    return target;
}

LRESULT CardHalf::onFolderListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        int hit = folders_.hitTest(lParam);
        if (hit >= 0) folders_.showCurrent(hit);
    } else if (message == WM_LBUTTONDBLCLK) {
        // Opening checks the card, which may say it is missing; renaming runs a dialog.
        bool opened = false;
        win::Dialog::RunCommand(dialog_, [&] { opened = openFolder(folders_.hitTest(lParam)); });
        if (opened) return 0;
    } else if (message == WM_RBUTTONDOWN) {
        win::Dialog::RunCommand(dialog_, [&] { renameFolder(folders_.hitTest(lParam)); });
    }
    return FolderListSubclass::CallPrevious(list, message, wParam, lParam);
}

bool CardHalf::openFolder(int index) {
    std::optional<std::string> root = readyCardDrive();
    if (!root || index < 0) return false;
    folders_.setCurrent(index);
    if (std::optional<CardFolderList::Folder> folder = folders_.current()) showDesigns(*folder);
    return true;
}

void CardHalf::renameFolder(int index) {
    if (index < 0) return;
    FolderRenameDialog rename;
    rename.name = folders_.shownName(index);
    const std::string shown = rename.name;
    // Cancel, or the name as it was (compared case-sensitively): nothing goes to the card.
    if (rename.run(dialog_) != 1 || rename.name == shown) return;
    folders_.rename(Owner(folders_.hwnd()), cardDrive().value_or(""), index, rename.name);
}

void CardHalf::tickDesign(int index) {
    designs_.toggle(index);
    SetCardSelectedCount(dialog_, designs_.ticked());
}

void CardHalf::previewRow(int index) const {
    if (const ShownRow* row = designs_.row(index)) preview_(&row->path);
}

LRESULT CardHalf::onDesignListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DesignListView::IsTickKey(message, wParam)) {
        int focused = designs_.focused();
        if (message == WM_KEYDOWN && focused >= 0) tickDesign(focused);
        return 0;
    } else if (message == WM_LBUTTONDOWN) {
        UINT flags = 0;
        int hit = designs_.hitTest(lParam, &flags);
        if (hit >= 0) {
            if (flags == LVHT_ONITEMICON) tickDesign(hit);
            previewRow(hit);
        }
    } else if (message == WM_KEYDOWN) {
        int target = designs_.arrowTarget(wParam);
        if (target >= 0) previewRow(target);
    }
    return DesignListSubclass::CallPrevious(list, message, wParam, lParam);
}

}  // namespace kx
