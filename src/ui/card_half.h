// The card half both card dialogs embed: the drive combo (1001), the card folder list (1044)
// and the card design list (1045), one shown at a time with the Open/Folder button (1041); the
// opening check of the card and the re-check on a drive change.
//
// A dialog makes it in its start-up once what comes first there is done, then runs
// discoverCard() (whose Cancelled the dialog ends itself on), and destroys it in its teardown.
// Card commands take the drive from readyCardDrive() and the folder from target().
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "transfer/card_transfers.h"
#include "ui/card_folder_list.h"
#include "ui/design_list_view.h"
#include "ui/drive_combo.h"

namespace kx {

enum class DiscoverOutcome { Done, NoMedia, Cancelled };
enum class CardView { Folders, Designs };

class CardHalf {
public:
    // A dialog with a preview pane previews the design clicked; without one, `preview` does nothing.
    CardHalf(HWND dialog, PreviewDesign preview);
    // The lists' messages go back to their own handling.
    ~CardHalf();
    CardHalf(const CardHalf&) = delete;
    CardHalf& operator=(const CardHalf&) = delete;

    // Fills the drive combo and checks the first removable drive's card; the no-card prompt when
    // there is none (its Cancel answers Cancelled at once). Then the folder view, nothing ticked.
    DiscoverOutcome discoverCard();
    // Drive, media, layout check, folder list; the first step that fails ends it silently, and
    // when the drive is not the one the lists show, they are emptied.
    void recheckCard();
    // The Open / Folder button.
    void onOpenButton();
    // The card "Select All Designs": only in design view.
    void selectAllDesigns();
    // After a write: the open folder's designs again, or the folders with their new pictures.
    void refreshAfterWrite(const std::string& root);
    // After an erase: the open folder's designs again, nothing ticked.
    void refillDesigns();
    // After a read: nothing ticked.
    void untickDesigns();

    std::optional<std::string> cardDrive() const { return drives_.selectedRoot(); }
    // The selected drive once its card is found ready, the user told what is missing otherwise.
    std::optional<std::string> readyCardDrive() const;
    // The drive `root` a command checked, with the current folder when the lists show its card.
    CardTarget target(const std::string& root) const;
    std::vector<ListRow> designRows() const { return designs_.listRows(); }
    int designCount() const { return designs_.size(); }
    bool inDesignView() const { return view_ == CardView::Designs; }
    // The sizes the half's controls set themselves, at `dpi`.
    void applyDpi(const win::Dpi& dpi);

    // The two lists' messages.
    LRESULT onFolderListMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT onDesignListMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void showView(CardView view, const std::string& name = {});
    void showDesigns(const CardFolderList::Folder& folder);
    void fillDesigns(const std::string& folderPath);
    bool openFolder(int index);
    void renameFolder(int index);
    // A click on a design's picture, or Space on the focused row.
    void tickDesign(int index);
    void previewRow(int index) const;
    void emptyLists();

    HWND dialog_;
    PreviewDesign preview_;
    CardView view_ = CardView::Folders;
    DriveCombo drives_;
    CardFolderList folders_;
    DesignListView designs_;
};

}  // namespace kx
