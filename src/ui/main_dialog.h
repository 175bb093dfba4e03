// The main dialog (template 101): the PC half, the card half, the arrows between them and the
// preview pane.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "ui/card_dialog.h"
#include "ui/folder_tree.h"
#include "ui/pc_list.h"
#include "ui/preview_pane.h"
#include "ui/win/gdi.h"

namespace kx {

// The caller sets workFolder, runs the dialog (`run(IDD_MAIN, parent)`) and reads workFolder back.
class MainDialog : public CardDialog {
public:
    // In: the folder the PC side opens at. Out: the PC side's folder after start-up and after
    // each write or read, unless that was "My Computer" or nothing; else as it came in.
    std::string workFolder;

protected:
    INT_PTR OnInitDialog() override;
    void onClick(int id) override;
    INT_PTR OnNotify(const NMHDR& header, LPARAM lParam) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTeardown() override;
    void OnPainted() override {
        if (preview_) preview_->RepaintPreview();
    }
    std::span<const ControlIcon> buttonIcons() const override;
    void applyOwnSizes(const win::Dpi& dpi) override;

private:
    void onWrite();
    void onRead();
    void onErase();
    void onPcSelectAll();
    void openPcFolder(const std::string& path);
    // workFolder follows the PC side only at start-up and after a write or read.
    void takeWorkFolder();
    void clearPreview();

    // The parts, each from the start-up to the teardown (the pane from the end of a start-up that
    // found a card, so that until then a preview shows nothing).
    std::optional<FolderTree> tree_;
    std::optional<PcList> pcList_;
    std::optional<PreviewPane> preview_;
};

}  // namespace kx
