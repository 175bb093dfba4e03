// A design list (the PC list, the card's design list): the rows it shows are kept here, in
// list order, with their ticks; the list view (LVS_OWNERDATA) holds no items and asks for what
// it shows (row i is item i, its text the row's name, its picture the row's tick or kind). So a
// fill is a count, a tick or a select-all a repaint, in a folder of any size. The commands take
// the rows from here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "transfer/card_transfers.h"
#include "ui/win/dpi.h"
#include "ui/win/gdi.h"
#include "ui/win/list_view.h"

namespace kx {

// Shows a design (a path) in the preview pane, or clears the pane (null).
using PreviewDesign = std::function<void(const std::string* path)>;

enum class RowKind { Drive, Folder, Design };

struct ShownRow {
    std::string name;
    std::string path;
    RowKind kind = RowKind::Design;
    int picture = 0;  // a drive's or folder's picture; a design shows its tick
    bool ticked = false;
};

class DesignListView final : private win::ItemSource {
public:
    // Control `id` of `dialog` with its one column ("FileName") and the picture strip, sized
    // for the dialog's dpi.
    DesignListView(HWND dialog, int id);
    // The items go first: a list view destroys the image lists it still holds.
    ~DesignListView();
    DesignListView(const DesignListView&) = delete;
    DesignListView& operator=(const DesignListView&) = delete;

    // Shows `rows`, nothing ticked, and keeps row `keepVisible` (when not -1) in view.
    void show(std::vector<ShownRow> rows, int keepVisible = -1);
    void clear() { show({}); }
    // Null past the end.
    const ShownRow* row(int index) const;
    int size() const { return static_cast<int>(rows_.size()); }
    int ticked() const { return ticked_; }
    // Flips a design's tick (true when it is now ticked); any other row stays as it is (false).
    bool toggle(int index);
    // The column 200 pixels wide and the pictures 16 square at 96 dpi.
    void applyDpi(const win::Dpi& dpi);
    // Ticks (or unticks) every design, drawn once.
    void setAllTicks(bool on);
    // The rows as the commands take them.
    std::vector<ListRow> listRows() const;
    int focused() const { return list_.nextItem(-1, LVNI_FOCUSED); }
    // The row the Up or Down key moves the focus to from the focused one, or -1.
    int arrowTarget(WPARAM key) const;
    // Space, the keyboard's tick of the focused row: its key press, and its character, which the
    // list's type-ahead must not take.
    static bool IsTickKey(UINT message, WPARAM key) {
        return (message == WM_KEYDOWN && key == VK_SPACE) || (message == WM_CHAR && key == ' ');
    }
    int hitTest(LPARAM point, UINT* flags = nullptr) const { return list_.hitTest(point, flags); }
    HWND hwnd() const { return list_.hwnd(); }

private:
    void describe(LVITEMA& item) const override;
    int find(UINT flags, std::string_view text, int start) const override;

    win::ListView list_;
    win::ImageList images_;
    std::vector<ShownRow> rows_;
    int ticked_ = 0;  // ticked designs among rows_
};

}  // namespace kx
