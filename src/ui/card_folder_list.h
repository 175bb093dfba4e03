// The card folder list (1044): the twelve design folders of the card's order file under their
// display names, the current one with the open picture.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "platform/messages.h"
#include "ui/win/dpi.h"
#include "ui/win/gdi.h"
#include "ui/win/list_view.h"

namespace kx {

// Lives from its dialog's start-up to its teardown.
class CardFolderList {
public:
    CardFolderList(HWND dialog, int id);
    // The items go first: a list view destroys the image lists it still holds.
    ~CardFolderList();
    CardFolderList(const CardFolderList&) = delete;
    CardFolderList& operator=(const CardFolderList&) = delete;

    // Runs the layout check of the card at `root` into the order file: true when the card is ready.
    bool checkLayout(WindowRef owner, const std::string& root);
    // Shows the folders of the card at `root` as the order file has them: false, the list as it
    // was, when a failed check left no order file.
    bool fill(const std::string& root);
    // Makes folder `index` current; the list shows it at its next fill.
    void setCurrent(int index) { current_ = index; }
    // Makes folder `index` current and, when the list can be shown again, shows it selected.
    void showCurrent(int index);
    // No folders shown: nothing a command could act on.
    void clear();

    struct Folder {
        int index;
        std::string name;  // its display name as shown
        std::string path;  // on the card, ending with a backslash
    };
    // The current folder of the card shown; nothing while no card is shown.
    std::optional<Folder> current() const;
    // Folder `index`'s display name as shown; empty for no such folder.
    std::string shownName(int index) const;
    // Takes `name` to the card at `root` as folder `index`'s display name, and shows it once it
    // is there.
    void rename(WindowRef owner, const std::string& root, int index, const std::string& name);
    // The root of the card shown; empty when none.
    const std::string& shownRoot() const { return shownRoot_; }

    // The folder pictures 32 pixels square at 96 dpi, four folders a row and three rows in view.
    void applyDpi(const win::Dpi& dpi);
    int hitTest(LPARAM point) const;
    HWND hwnd() const { return list_.hwnd(); }

private:
    win::ListView list_;
    win::ImageList images_;
    OrderFile orderFile_;
    int current_ = 0;
    std::string shownRoot_;
    std::array<std::string, kCardFolderCount> shownNames_;
};

}  // namespace kx
