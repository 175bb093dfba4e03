// What the dialogs' Win32 kit does beyond sending one message: the dialog base's state object
// and exception guard, records freed with the items that own them, and the memory DC that
// puts back what it selected.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "ui/list_helpers.h"
#include "ui/win/combo_box.h"
#include "ui/win/dialog_base.h"
#include "ui/win/gdi.h"
#include "ui/win/item_record.h"
#include "ui/win/tree_view.h"

namespace kx::win {
namespace {

// An empty dialog template: the tests add their controls themselves.
struct EmptyTemplate {
    DLGTEMPLATE header{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 200, 100};
    WORD menu = 0, windowClass = 0, title = 0;
};

HWND Child(HWND dialog, const char* windowClass, DWORD style, int id) {
    return CreateWindowExA(0, windowClass, "", WS_CHILD | style, 0, 0, 150, 100, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// Fills a list view, a tree view and a combo box with records, deletes some items, and ends.
class RecordsDialog : public Dialog {
public:
    static inline std::size_t liveWhileOpen = 0, liveAfterDeletes = 0;
    static inline bool destroyed = false;
    ~RecordsDialog() override { destroyed = true; }

protected:
    INT_PTR OnInitDialog() override {
        ListView list(Child(hwnd(), WC_LISTVIEWA, LVS_REPORT, 10));
        TreeView tree(Child(hwnd(), WC_TREEVIEWA, 0, 11));
        ComboBox combo(Child(hwnd(), "ComboBox", CBS_DROPDOWNLIST, 12));
        for (int i = 0; i < 3; ++i) {
            ListInsertItem(list, IMAGE_UNCHECKED, NewItemRecord("row", "C:\\row", 10, -1), "row", i);
            TVINSERTSTRUCTA insert{};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_PARAM;
            insert.item.lParam = HandToItem(NewItemRecord("node", "C:\\", -1, -1));
            tree.insertItem(insert);
            int index = combo.addString("entry");
            combo.setItemData(index, HandToItem(NewItemRecord("entry", "E:\\", -1, -1)));
        }
        liveWhileOpen = LiveItemRecords();
        list.deleteAllItems();
        tree.deleteItem(tree.nextItem(nullptr, TVGN_ROOT));
        liveAfterDeletes = LiveItemRecords();
        // The combo's and the tree's other records go when the dialog destroys them.
        EndDialog(hwnd(), 7);
        return TRUE;
    }
};

class ThrowingDialog : public Dialog {
protected:
    INT_PTR OnInitDialog() override { throw std::runtime_error("setup failed"); }
};

template <class D>
INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProcedure<D>(dialog, message, wParam, lParam);
}

TEST(DialogBase, StateLivesWithTheWindowAndItemsTakeTheirRecordsWithThem) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    EmptyTemplate dialogTemplate;
    const std::size_t before = LiveItemRecords();
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header, nullptr,
                                             Procedure<RecordsDialog>, 0);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(RecordsDialog::liveWhileOpen, before + 9);
    EXPECT_EQ(RecordsDialog::liveAfterDeletes, before + 5);  // three list rows and one tree node gone
    EXPECT_EQ(LiveItemRecords(), before);
    EXPECT_TRUE(RecordsDialog::destroyed);
}

TEST(DialogBase, AnExceptionInSetupEndsTheDialogInsteadOfLeavingTheProcedure) {
    EmptyTemplate dialogTemplate;
    EXPECT_EQ(DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header, nullptr,
                                      Procedure<ThrowingDialog>, 0),
              -1);
}

TEST(MemoryDc, DrawsIntoItsOwnBitmapAndPutsBackWhatTheDcHeld) {
    HDC screen = GetDC(nullptr);
    HDC probe = nullptr;
    HGDIOBJ original = nullptr;
    {
        MemoryDc canvas(screen, 8, 6);
        ASSERT_TRUE(canvas);
        probe = canvas.dc();
        EXPECT_EQ(GetCurrentObject(probe, OBJ_BITMAP), canvas.bitmap());
        Brush red(CreateSolidBrush(RGB(255, 0, 0)));
        {
            SelectScope brush(probe, red.get());
            PatBlt(probe, 0, 0, 8, 6, PATCOPY);
            EXPECT_EQ(GetCurrentObject(probe, OBJ_BRUSH), red.get());
        }
        EXPECT_NE(GetCurrentObject(probe, OBJ_BRUSH), red.get());
        EXPECT_EQ(GetPixel(probe, 7, 5), RGB(255, 0, 0));
        original = GetStockObject(DEFAULT_GUI_FONT);
    }
    // The DC is gone with the canvas: selecting into it fails.
    EXPECT_EQ(SelectObject(probe, original), nullptr);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace kx::win
