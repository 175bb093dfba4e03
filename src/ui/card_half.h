// The card half shared by the card dialogs: the drive combo (1001), the card folder list
// (1044) and the card design list (1045), with the opening check of the card, the re-check
// on a drive change and the Open/Folder button (1041).
//
// A dialog embeds it as a member of its state object and calls, in its handlers:
//   WM_INITDIALOG: card.Create(dialog) once the rest of its setup that comes first is done,
//                  then card.DiscoverCard(); on DiscoverOutcome::Ended stop the setup (the
//                  dialog has been ended with 2); then SetCardView(dialog, CARD_VIEW_FOLDERS).
//   WM_COMMAND:    id 1041 → card.OnOpenButton(); after any command with code 1 →
//                  card.RecheckCard().
//   WM_CLOSE:      card.Destroy() before EndDialog; WM_DESTROY: card.Destroy() again (it
//                  does nothing twice), for a dialog ended before its teardown ran.
// Card commands take the drive with GetCardDrive() and the folder with FolderListGetCurrent().
// A dialog with a preview pane sets `preview`; without one, clicks on designs preview nothing.
// The records of the items are freed by the dialog base as the items are deleted.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card/order_file.h"
#include "transfer/card_transfers.h"
#include "ui/win/combo_box.h"
#include "ui/win/gdi.h"
#include "ui/win/list_view.h"

namespace kx {

enum class DiscoverOutcome { Done, NoMedia, Ended };

class CardHalf {
public:
    CardHalf() = default;
    CardHalf(const CardHalf&) = delete;
    CardHalf& operator=(const CardHalf&) = delete;

    // AttachDriveCombo (1001), FolderListCreate (1044), DesignListCreate (1045), in this order.
    void Create(HWND dialog);
    // Fill the drive combo and check the first removable drive's card; the no-card prompt when
    // there is none (Cancel ends the dialog with 2).
    DiscoverOutcome DiscoverCard();
    // Drive, media, layout check, folder list; the first step that fails ends it silently, and
    // when the drive is not the one the lists show, they are emptied.
    void RecheckCard();
    // The Open / Folder button.
    void OnOpenButton();
    // The card "Select All Designs": only in design view.
    void SelectAllDesigns();
    // ClearDriveCombo, FolderListDestroy, DesignListDestroy; harmless when repeated.
    void Destroy();

    // Drive combo.
    void AttachDriveCombo(HWND dialog, int id);
    bool FillDriveCombo();
    bool GetCardDrive(std::string& root) const;
    void ClearDriveCombo();

    // Card folder list.
    void FolderListCreate(HWND dialog, int id);
    // Runs the layout check for `root` into the order file; 1 when the card is ready.
    int CheckCardLayout(HWND owner, const std::string& root);
    int FolderListFill(const std::string& root);
    // The current folder's index, or -1; fills what is asked for.
    int FolderListGetCurrent(std::string* name, std::string* path) const;
    void FolderListDestroy();

    // Card design list.
    void DesignListCreate(HWND dialog, int id);
    void DesignListFill(const std::string& folderPath);
    // Ticks (or unticks) every design; the counter is the caller's.
    void DesignListSetAllChecks(bool on);
    void DesignListDestroy();

    const win::ListView& designList() const { return designList_; }
    const win::ListView& folderList() const { return folderList_; }
    OrderFile& orderFile() { return orderFile_; }
    // The drive and the current folder for a command, once the drive is known.
    CardTarget Target(const std::string& root) const;

    std::function<void(const std::string* path)> preview;

    // The replacement window procedures of the three controls.
    static LRESULT CALLBACK DriveComboProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK FolderListProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK DesignListProc(HWND, UINT, WPARAM, LPARAM);

private:
    LRESULT onFolderListMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT onDesignListMessage(HWND, UINT, WPARAM, LPARAM);
    bool openFolder(int index);
    void renameFolder(LPARAM point);
    void previewRow(int index);
    // No folders, no designs, the counter at 0: nothing a command could act on.
    void EmptyCardLists();

    HWND dialog_ = nullptr;
    win::ComboBox driveCombo_;
    win::ListView folderList_;
    win::ListView designList_;
    win::ImageList folderImages_;
    win::ImageList designImages_;
    OrderFile orderFile_;
    int currentFolder_ = 0;
    std::string listedRoot_;  // the drive whose card the folder list shows; empty when none
    int designTicked_ = 0;  // ticked designs of the design list
};

}  // namespace kx
