// The location combo (1062) and its drop-down folder tree: Desktop, My Computer, the drives,
// and one chain of folders from a drive down to the current PC folder, which the whole PC
// side works on.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/win/combo_box.h"
#include "ui/win/dpi.h"
#include "ui/win/gdi.h"
#include "ui/win/tree_view.h"

namespace kx {

inline constexpr const char* kMyComputer = "My Computer";

class FolderTree {
public:
    // Takes the combo over and makes the tree with "My Computer" current. A width of 0 or less
    // is the combo's client width.
    FolderTree(HWND dialog, int id, int width);
    // Deletes the items (their records go with them), the image list and the tree window, and
    // gives the combo back its own procedure.
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;
    // Makes the folder current, adding the chain items it lacks, and repaints the combo.
    void SelectFolderPath(const std::string& path);
    // The current item's path ("My Computer", or ending with a backslash); empty without one.
    std::string GetCurrentFolderPath() const;
    // True with the parent's path once it is current; false at "My Computer".
    bool GoUpOneFolder(std::string& path);
    void FocusLocationCombo() const;
    // The combo's face 16 pixels high, the tree's rows 18, its pictures 16 and its indent 6, at
    // 96 dpi.
    void applyDpi(const win::Dpi& dpi);
    void DrawLocationCombo(const DRAWITEMSTRUCT& draw) const;

    // The current item's children (the drives while "My Computer" is current).
    struct Child {
        std::string label;
        std::string path;
        int image;
    };
    std::vector<Child> CurrentChildren() const;

    HWND tree() const { return tree_.hwnd(); }
    void onExpanding(const NMTREEVIEWA& change) const;
    void onKillFocus(HWND dialog) const;

    // The location combo's and the tree's messages.
    LRESULT onComboMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT onTreeMessage(HWND, UINT, WPARAM, LPARAM);

private:
    void createTree(HWND dialog);
    HTREEITEM insert(HTREEITEM parent, const std::string& label, const std::string& path, int image, int selected);
    void setCurrent(HTREEITEM item);
    HTREEITEM findByPath(HTREEITEM item, const std::string& path) const;
    HTREEITEM findSibling(HTREEITEM item, const std::string& prefix) const;
    void buildChain(const std::string& path);
    void cutChain(const std::string& path);
    void choose(HTREEITEM item);
    void toggle();
    std::string pathOf(HTREEITEM item) const;
    void repaintCombo() const;
    int rowHeight() const;

    win::ComboBox combo_;
    win::TreeView tree_;
    win::ImageList images_;
    HTREEITEM current_ = nullptr;
    int dropWidth_ = 0;
    int widthAsked_ = 0;
    win::Dpi dpi_;
};

}  // namespace kx
