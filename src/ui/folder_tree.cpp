// The folder tree behind the location combo: built once as Desktop > My Computer > drives, with
// one chain of folder items cut and rebuilt on every move.
#include "ui/folder_tree.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/paths.h"
#include "resource_ids.h"
#include "ui/dialog_common.h"
#include "ui/win/dialog_base.h"
#include "ui/win/item_record.h"
#include "ui/win/module.h"
#include "ui/win/subclass.h"

namespace kx {

namespace {

using ComboSubclass = win::Subclass<FolderTree, &FolderTree::onComboMessage>;
using TreeSubclass = win::Subclass<FolderTree, &FolderTree::onTreeMessage>;

// Pictures of the list strip.
constexpr int kClosedFolder = 0, kOpenFolder = 1, kDesktop = 3, kComputer = 4;
constexpr int kRemovable = 5, kFixed = 6, kCdRom = 7;
// Sizes at 96 dpi: the pictures, the drop-down's rows and the tree's indent.
constexpr int kPictureWidth = 16, kRowHeight = 18, kIndent = 6, kComboFace = 16;
constexpr int kMostRowsShown = 14;

// Each position just after a backslash, by multibyte characters.
std::vector<std::size_t> PartEnds(const std::string& path) {
    std::vector<std::size_t> ends;
    for (const char* p = path.c_str(); *p; p = CharNextA(p))
        if (*p == '\\') ends.push_back(static_cast<std::size_t>(p - path.c_str()) + 1);
    return ends;
}

const ItemRecord* RecordOfItem(const win::TreeView& tree, HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMA data{};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = item;
    return tree.getItem(data) ? RecordOf(data.lParam) : nullptr;
}

std::string DriveLabel(char letter) {
    std::string root = std::string(1, letter) + ":\\";
    SHFILEINFOA info{};
    if (SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
        return info.szDisplayName;
    return std::string("Drive (") + letter + ":)";
}

int DrivePicture(const std::string& root) {
    switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_REMOVABLE: return kRemovable;
    case DRIVE_CDROM: return kCdRom;
    default: return kFixed;
    }
}

}  // namespace

FolderTree::FolderTree(HWND dialog, int id, int width) : combo_(dialog, id), widthAsked_(width) {
    createTree(dialog);
    ComboSubclass::Attach(combo_.hwnd(), this);
    applyDpi(win::Dpi::Of(dialog));
}

void FolderTree::applyDpi(const win::Dpi& dpi) {
    dpi_ = dpi;
    combo_.setItemHeight(-1, dpi.scale(kComboFace));
    RECT client{};
    GetClientRect(combo_.hwnd(), &client);
    dropWidth_ = widthAsked_ > 0 ? dpi.scale(widthAsked_) : client.right;
    if (!tree_) return;
    tree_.setIndent(dpi.scale(kIndent));
    win::ImageList pictures =
        win::LoadMaskedImageList(win::ThisModule(), IDB_LIST_PICTURES, kPictureWidth, 11, 5, dpi.scale(kPictureWidth));
    tree_.setImageList(pictures.get(), TVSIL_NORMAL);
    images_ = std::move(pictures);  // the tree shows the new ones before the old go
}

int FolderTree::rowHeight() const {
    // The scaled row, or the tree's own item with the border's pixels when that is taller.
    return std::max(dpi_.scale(kRowHeight), tree_.itemHeight() + 2);
}

void FolderTree::createTree(HWND dialog) {
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, nullptr, WS_POPUP | WS_BORDER | TVS_DISABLEDRAGDROP, 0, 0, 10, 10,
                                dialog, nullptr, win::ThisModule(), nullptr);
    tree_ = win::TreeView(tree);
    if (!tree) return;
    TreeSubclass::Attach(tree, this);
    char desktopPath[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, desktopPath, CSIDL_DESKTOPDIRECTORY, FALSE);
    HTREEITEM desktop = insert(TVI_ROOT, "Desktop", desktopPath, kDesktop, kDesktop);
    HTREEITEM computer = insert(desktop, kMyComputer, kMyComputer, kComputer, kComputer);
    DWORD drives = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!(drives & (1u << (letter - 'A')))) continue;
        std::string root = std::string(1, letter) + ":\\";
        std::string label = DriveLabel(letter);
        int picture = DrivePicture(root);
        if (!label.empty()) insert(computer, label, root, picture, picture);
    }
    tree_.expand(desktop, TVE_EXPAND);
    tree_.expand(computer, TVE_EXPAND);
    setCurrent(computer);
}

HTREEITEM FolderTree::insert(HTREEITEM parent, const std::string& label, const std::string& path, int image,
                             int selected) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(label.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selected;
    insert.item.lParam = HandToItem(NewItemRecord(label, path, image, selected));
    HTREEITEM item = tree_.insertItem(insert);
    if (!item) FreeItemRecord(insert.item.lParam);
    return item;
}

void FolderTree::setCurrent(HTREEITEM item) {
    current_ = item;
    tree_.selectItem(item, TVGN_CARET);
}

std::string FolderTree::pathOf(HTREEITEM item) const {
    const ItemRecord* record = RecordOfItem(tree_, item);
    return record ? record->path : std::string();
}

HTREEITEM FolderTree::findByPath(HTREEITEM item, const std::string& path) const {
    for (; item; item = tree_.nextItem(item, TVGN_NEXT)) {
        if (EqualsIgnoreCase(pathOf(item), path)) return item;
        if (HTREEITEM below = findByPath(tree_.nextItem(item, TVGN_CHILD), path)) return below;
    }
    return nullptr;
}

HTREEITEM FolderTree::findSibling(HTREEITEM item, const std::string& prefix) const {
    for (; item; item = tree_.nextItem(item, TVGN_NEXT))
        if (StartsWithIgnoreCase(pathOf(item), prefix)) return item;
    return nullptr;
}

void FolderTree::buildChain(const std::string& path) {
    HTREEITEM root = tree_.nextItem(nullptr, TVGN_ROOT);
    if (EqualsIgnoreCase(path, kMyComputer)) {
        setCurrent(tree_.nextItem(root, TVGN_CHILD));
        return;
    }
    std::string full = WithTrailingBackslash(path);
    std::vector<std::size_t> ends = PartEnds(full);
    if (ends.empty()) return;
    HTREEITEM found = findByPath(root, full.substr(0, ends[0]));
    // A path whose drive is not in the tree falls back to "My Computer".
    if (!found) return setCurrent(tree_.nextItem(root, TVGN_CHILD));
    std::size_t part = 1;
    for (; part < ends.size(); ++part) {
        HTREEITEM next = findSibling(tree_.nextItem(found, TVGN_CHILD), full.substr(0, ends[part]));
        if (!next) break;
        found = next;
    }
    for (; part < ends.size(); ++part) {
        std::string name = full.substr(ends[part - 1], ends[part] - ends[part - 1] - 1);
        HTREEITEM made = insert(found, name, full.substr(0, ends[part]), kOpenFolder, kOpenFolder);
        if (!made) break;
        found = made;
    }
    setCurrent(found);
}

void FolderTree::cutChain(const std::string& path) {
    std::string full = WithTrailingBackslash(path);
    std::vector<std::size_t> ends = PartEnds(full);
    if (ends.size() < 2) return;
    HTREEITEM drive = findByPath(tree_.nextItem(nullptr, TVGN_ROOT), full.substr(0, ends[0]));
    HTREEITEM top = drive ? findSibling(tree_.nextItem(drive, TVGN_CHILD), full.substr(0, ends[1])) : nullptr;
    // The records below go with their items.
    if (top) tree_.deleteItem(top);
}

void FolderTree::SelectFolderPath(const std::string& path) {
    buildChain(path);
    repaintCombo();
}

std::string FolderTree::GetCurrentFolderPath() const { return pathOf(current_); }

bool FolderTree::GoUpOneFolder(std::string& path) {
    HTREEITEM parent = current_ ? tree_.nextItem(current_, TVGN_PARENT) : nullptr;
    if (!parent || parent == tree_.nextItem(nullptr, TVGN_ROOT)) return false;
    path = pathOf(parent);
    cutChain(pathOf(current_));
    buildChain(path);
    repaintCombo();
    return true;
}

void FolderTree::FocusLocationCombo() const { SetFocus(combo_.hwnd()); }

void FolderTree::repaintCombo() const { InvalidateRect(combo_.hwnd(), nullptr, FALSE); }

std::vector<FolderTree::Child> FolderTree::CurrentChildren() const {
    std::vector<Child> children;
    for (HTREEITEM item = current_ ? tree_.nextItem(current_, TVGN_CHILD) : nullptr; item;
         item = tree_.nextItem(item, TVGN_NEXT)) {
        const ItemRecord* record = RecordOfItem(tree_, item);
        if (!record) break;
        children.push_back({record->name, record->path, record->image});
    }
    return children;
}

void FolderTree::choose(HTREEITEM item) {
    if (!item) item = current_;
    if (!item || item == tree_.nextItem(nullptr, TVGN_ROOT)) return;
    std::string chosen = pathOf(item), old = pathOf(current_);
    cutChain(old);
    buildChain(chosen);
    ShowWindow(tree_.hwnd(), SW_HIDE);
    const ItemRecord* record = RecordOfItem(tree_, current_);
    SendMessageA(GetParent(tree_.hwnd()), WM_FOLDER_CHOSEN, 0, reinterpret_cast<LPARAM>(record));
}

void FolderTree::toggle() {
    if (tree_.isVisible()) {
        ShowWindow(tree_.hwnd(), SW_HIDE);
        return;
    }
    RECT r{};
    GetWindowRect(combo_.hwnd(), &r);
    int rows = std::min(tree_.count(), kMostRowsShown);
    SetWindowPos(tree_.hwnd(), nullptr, r.left, r.bottom + 1, dropWidth_, rowHeight() * rows,
                 SWP_SHOWWINDOW | SWP_NOZORDER);
    tree_.ensureVisible(current_);
    tree_.selectItem(current_, TVGN_CARET);
}

LRESULT FolderTree::onComboMessage(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!win::IsDropDownToggle(message, wParam)) return ComboSubclass::CallPrevious(combo, message, wParam, lParam);
    toggle();
    return 0;
}

LRESULT FolderTree::onTreeMessage(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    TVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_MOUSEMOVE:
        if (HTREEITEM item = tree_.hitTest(hit)) tree_.selectItem(item, TVGN_CARET);
        break;
    case WM_LBUTTONDOWN: {
        HTREEITEM item = tree_.hitTest(hit);
        if (hit.flags == TVHT_ONITEMBUTTON) break;
        choose(item);
        return 0;
    }
    case WM_NCDESTROY:
        // The tree is a popup the dialog owns: ended here or by the dialog's own end (before the
        // dialog's WM_DESTROY), it is never reached again.
        tree_ = win::TreeView();
        current_ = nullptr;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            choose(tree_.nextItem(nullptr, TVGN_CARET));
            return 1;
        }
        if (wParam == VK_LEFT || wParam == VK_RIGHT) return 0;
        break;
    default: break;
    }
    return TreeSubclass::CallPrevious(tree, message, wParam, lParam);
}

void FolderTree::onExpanding(const NMTREEVIEWA& change) const {
    TVITEMA item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_PARAM;
    item.hItem = change.itemNew.hItem;
    const ItemRecord* record = tree_.getItem(item) ? RecordOf(item.lParam) : nullptr;
    if (!record) return;
    // A chain folder alternates between its closed and open pictures; the others keep theirs.
    bool open = item.iImage == kOpenFolder;
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.iImage = open ? kClosedFolder : record->image;
    item.iSelectedImage = open ? kClosedFolder : record->selectedImage;
    tree_.setItem(item);
}

void FolderTree::onKillFocus(HWND dialog) const {
    if (!tree_.isVisible()) return;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(dialog, &at);
    if (ChildWindowFromPoint(dialog, at) != combo_.hwnd()) ShowWindow(tree_.hwnd(), SW_HIDE);
}

void FolderTree::DrawLocationCombo(const DRAWITEMSTRUCT& draw) const {
    RECT client{};
    GetClientRect(combo_.hwnd(), &client);
    const int picture = dpi_.scale(kPictureWidth);
    int y = (client.bottom - picture) / 2;
    const ItemRecord* record = RecordOfItem(tree_, current_);
    if (!record) return;
    ImageList_Draw(tree_.imageList(TVSIL_NORMAL), record->image, draw.hDC, dpi_.scale(4), y, ILD_NORMAL);
    SIZE extent{};
    GetTextExtentPoint32A(draw.hDC, record->name.c_str(), static_cast<int>(record->name.size()), &extent);
    RECT text{draw.rcItem.left + picture + dpi_.scale(2), draw.rcItem.top + 1, 0, draw.rcItem.bottom - 1};
    text.right = text.left + extent.cx + 4;
    if (draw.itemState & ODS_SELECTED) {
        win::Brush highlight(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
        FillRect(draw.hDC, &text, highlight.get());
        DrawFocusRect(draw.hDC, &text);
        SetTextColor(draw.hDC, ~GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF);
    } else {
        SetTextColor(draw.hDC, GetSysColor(COLOR_WINDOWTEXT));
    }
    text.left += 2;
    DrawTextA(draw.hDC, record->name.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER);
}

FolderTree::~FolderTree() {
    ComboSubclass::Detach(combo_.hwnd());
    if (tree_) {
        tree_.deleteItem(TVI_ROOT);
        tree_.setImageList(nullptr, TVSIL_NORMAL);
        DestroyWindow(tree_.hwnd());
    }
}

}  // namespace kx
