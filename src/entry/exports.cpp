// The exports: record the host's values in ModuleState, run a modal dialog, hand results back.
#include <kxcard.h>

#include <commctrl.h>

#include "entry/module_state.h"
#include "transfer/default_name.h"
#include "resource_ids.h"
#include "transfer/work_folder.h"
#include "ui/main_dialog.h"
#include "ui/write_design_dialog.h"

namespace kx {

namespace {

// No exception may unwind into the host: a failed call reports that no dialog ran.
template <class Body>
int Guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return 0;
    }
}

// The end code, or a negative value when the dialog could not be created.
INT_PTR RunDialog(int templateId, HWND parent, DLGPROC procedure) {
    // The templates hold list views and the dialogs make tooltips: their classes must exist first.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    INT_PTR result = DialogBoxParamA(moduleState().ModuleInstance, MAKEINTRESOURCEA(templateId), parent, procedure, 0);
    // 0 is the system's answer to an owner that is not a window (a stale or destroyed handle):
    // no dialog was made. Ours never end with 0, only with 1 or 2.
    return result == 0 ? -1 : result;
}

// The host's start folder as a full path with backslashes (it may come with forward slashes,
// doubled separators or relative to the current directory), so the PC side can place it; as
// given when the system cannot make it full within a path buffer.
std::string FullFolderPath(std::string_view folder) {
    const std::string given(folder);
    char full[kMaxPath] = {};
    DWORD n = given.empty() ? 0 : GetFullPathNameA(given.c_str(), kMaxPath, full, nullptr);
    return n > 0 && n < kMaxPath ? std::string(full, n) : given;
}

void SetDesignName(std::string_view hostName) {
    ModuleState& state = moduleState();
    if (hostName.empty()) SetHostString(state.DesignName, MakeDefaultDesignName());
    else SetHostString(state.DesignName, hostName);
}

}  // namespace

}  // namespace kx

extern "C" int __cdecl ConnectCardDlg(HWND parent, char* folder) {
    return kx::Guarded([&] {
        kx::ModuleState& state = kx::moduleState();
        kx::SetHostString(state.WorkFolder, kx::FullFolderPath(kx::ReadHostString(folder)));
        kx::SetHostString(state.WorkFolder, kx::EnterWorkFolder(std::string(kx::View(state.WorkFolder))));
        if (kx::RunDialog(IDD_MAIN, parent, kx::MainDialogProc) < 0) return 0;
        if (folder) kx::WriteHostBuffer(folder, kx::View(state.WorkFolder));
        return 1;
    });
}

extern "C" int __cdecl DirectWriteCard(HWND parent, unsigned char* design, unsigned int size, const char* name) {
    return kx::Guarded([&] {
        kx::ModuleState& state = kx::moduleState();
        state.HostDesign = design;
        state.HostDesignSize = design ? size : 0;
        state.WriteMode = 1;
        kx::SetDesignName(kx::ReadHostString(name));
        return kx::RunDialog(IDD_WRITE_DESIGN, parent, kx::WriteDesignDlgProc) >= 0 ? 1 : 0;
    });
}

extern "C" int __cdecl DirectFilesWrite(HWND parent, char* name, const char* listFile) {
    return kx::Guarded([&] {
        kx::ModuleState& state = kx::moduleState();
        state.WriteMode = 0;
        kx::SetDesignName(kx::ReadHostString(name));
        kx::SetHostString(state.FileListPath, kx::ReadHostString(listFile));
        INT_PTR result = kx::RunDialog(IDD_WRITE_DESIGN, parent, kx::WriteDesignDlgProc);
        if (name) kx::WriteHostBuffer(name, kx::View(state.DesignName));
        return result < 0 ? 0 : static_cast<int>(result);
    });
}
