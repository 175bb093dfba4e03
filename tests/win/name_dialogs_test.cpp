// The two dialogs on template 106 under Wine, as a user meets them: the design name dialog
// behind the Name button of the direct write, and the folder rename dialog.
#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "entry/module_state.h"
#include "harness/kxcard_library.h"
#include "harness/ui_driver.h"
#include "resource_ids.h"
#include "transfer/names.h"
#include "ui/folder_rename_dialog.h"

namespace kx::wintest {
namespace {

const std::string kLongNameText(std::string(37, 'L'));
const std::string kLongNameMessage = "The Open/Save Folder does not support the long file names such as \"" +
                                     kLongNameText + "\".\nPlease shorten the file name to 32 characters or less.";

// Types `text` into the name dialog's edit and presses OK.
void EnterName(HWND nameDialog, const std::string& text, UiSync& ui) {
    SetDlgItemTextA(nameDialog, IDC_NAME_EDIT, text.c_str());
    ClickControl(nameDialog, IDOK);
    ui.wait();
}

std::string DesignNameField(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_DESIGN_NAME)); }

// Opens the name dialog from the Name button; fails the test when it does not show the field's name.
HWND OpenNameDialog(HWND writeDialog) {
    ClickControl(writeDialog, IDC_NAME_BUTTON);
    HWND nameDialog = WaitForDialog("Kxd Name");
    EXPECT_NE(nameDialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(nameDialog, IDC_NAME_EDIT)), DesignNameField(writeDialog));
    EXPECT_EQ(WindowText(GetDlgItem(nameDialog, IDC_NAME_PROMPT)), "Enter the file name to save in ATA Card");
    return nameDialog;
}

// A host with no name for its design gets the default name; the user refuses a long name and one
// with a forbidden character, takes a fresh default with an empty entry, then TULIP.old, and
// cancels a last change.
TEST(DesignNameDialog, RefusalsDefaultAndStoredFormFromTheNameButton) {
    ASSERT_TRUE(Kxcard().complete());
    std::vector<std::uint8_t> design(200, 0);
    const std::regex defaultName("[0-9A-Z]{12}\\.kxd");
    int result = -1;
    RunDriven([&] { result = Kxcard().directWriteCard(nullptr, design.data(), 200, ""); },
              [&](UiSync& ui) {
                  HWND dialog = WaitForDialog("Write a Design");
                  ASSERT_NE(dialog, nullptr);
                  const std::string first = DesignNameField(dialog);
                  EXPECT_TRUE(std::regex_match(first, defaultName)) << first;

                  HWND nameDialog = OpenNameDialog(dialog);
                  EnterName(nameDialog, kLongNameText, ui);
                  EXPECT_TRUE(AnswerMessageBox("File Name Error", kLongNameMessage, IDOK));
                  EnterName(nameDialog, "ro?se", ui);
                  EXPECT_TRUE(AnswerMessageBox("Rename", kForbiddenCharactersMessage, IDOK));
                  ui.wait();
                  EXPECT_TRUE(IsWindowVisible(nameDialog));
                  EXPECT_EQ(DesignNameField(dialog), first);
                  Sleep(2);  // the default name has millisecond resolution: the next one differs
                  EnterName(nameDialog, "", ui);
                  const std::string fresh = DesignNameField(dialog);
                  EXPECT_TRUE(std::regex_match(fresh, defaultName) && fresh != first) << fresh;

                  EnterName(OpenNameDialog(dialog), "TULIP.old", ui);
                  EXPECT_EQ(DesignNameField(dialog), "TULIP.kxd");
                  HWND cancelled = OpenNameDialog(dialog);
                  SetDlgItemTextA(cancelled, IDC_NAME_EDIT, "OTHER");
                  ClickControl(cancelled, IDCANCEL);
                  ui.wait();
                  EXPECT_EQ(DesignNameField(dialog), "TULIP.kxd");
                  ClickControl(dialog, IDCANCEL);
              });
    EXPECT_EQ(result, 1);
}

// The rename dialog opens on the current name under its own title and prompt; it refuses nine
// characters and a forbidden one with their messages, ignores an empty entry, and reports a
// change only for a confirmed different name (case counts).
TEST(FolderRenameDialog, RefusesThenReportsOnlyAConfirmedChange) {
    ASSERT_TRUE(Kxcard().complete());
    moduleState().ModuleInstance = Kxcard().module;
    struct Row { std::string typed; bool confirm; bool changed; std::string after; };
    for (const Row& row : {Row{"Roses", true, true, "Roses"}, Row{"EmbF7", true, false, "EmbF7"},
                           Row{"embf7", true, true, "embf7"}, Row{"Roses", false, false, "EmbF7"},
                           Row{"ABCDEFGH", true, true, "ABCDEFGH"}}) {
        SCOPED_TRACE(row.typed);
        std::string name = "EmbF7";
        bool changed = !row.changed;
        RunDriven([&] { changed = RunRenameDialog(nullptr, name); },
                  [&](UiSync& ui) {
                      HWND dialog = WaitForDialog("Rename folder");
                      ASSERT_NE(dialog, nullptr);
                      EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_NAME_PROMPT)), "To maximum 8 characters");
                      EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_NAME_EDIT)), "EmbF7");
                      EnterName(dialog, "", ui);
                      EnterName(dialog, "ABCDEFGHI", ui);
                      EXPECT_TRUE(AnswerMessageBox("Rename", kFolderNameTooLongMessage, IDOK));
                      EnterName(dialog, "Ro|es", ui);
                      EXPECT_TRUE(AnswerMessageBox("Rename", kForbiddenCharactersMessage, IDOK));
                      ui.wait();
                      EXPECT_TRUE(IsWindowVisible(dialog));
                      EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_NAME_EDIT)), "Ro|es");
                      SetDlgItemTextA(dialog, IDC_NAME_EDIT, row.typed.c_str());
                      row.confirm ? ClickControl(dialog, IDOK) : CloseWithCloseBox(dialog);
                  });
        EXPECT_EQ(changed, row.changed);
        EXPECT_EQ(name, row.after);
    }
}

}  // namespace
}  // namespace kx::wintest
