// The exports: fill a dialog object with the host's values, run it, hand its results back.
#include <kxcard.h>

#include <commctrl.h>

#include <span>
#include <string>

#include "entry/host_string.h"
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
INT_PTR RunDialog(win::Dialog& dialog, int templateId, HWND parent) {
    // The templates hold list views and the dialogs make tooltips: their classes must exist first.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    INT_PTR result = dialog.run(templateId, parent);
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

// The name the host gave, or the time-based default when it gave none.
std::string DesignName(std::string_view hostName) {
    if (hostName.empty()) return Bounded(MakeDefaultDesignName());
    return Bounded(hostName);
}

}  // namespace

}  // namespace kx

extern "C" int __cdecl ConnectCardDlg(HWND parent, char* folder) {
    return kx::Guarded([&] {
        kx::MainDialog dialog;
        const std::string start = kx::Bounded(kx::FullFolderPath(kx::ReadHostString(folder)));
        dialog.workFolder = kx::Bounded(kx::EnterWorkFolder(start));
        if (kx::RunDialog(dialog, IDD_MAIN, parent) < 0) return 0;
        if (folder) kx::WriteHostBuffer(folder, dialog.workFolder);
        return 1;
    });
}

extern "C" int __cdecl DirectWriteCard(HWND parent, unsigned char* design, unsigned int size, const char* name) {
    return kx::Guarded([&] {
        kx::WriteDesignDialog dialog;
        dialog.fromMemory = true;
        if (design) dialog.hostDesign = std::span(design, size);
        dialog.designName = kx::DesignName(kx::ReadHostString(name));
        return kx::RunDialog(dialog, IDD_WRITE_DESIGN, parent) >= 0 ? 1 : 0;
    });
}

extern "C" int __cdecl DirectFilesWrite(HWND parent, char* name, const char* listFile) {
    return kx::Guarded([&] {
        kx::WriteDesignDialog dialog;
        dialog.designName = kx::DesignName(kx::ReadHostString(name));
        dialog.fileListPath = std::string(kx::ReadHostString(listFile));
        INT_PTR result = kx::RunDialog(dialog, IDD_WRITE_DESIGN, parent);
        if (name) kx::WriteHostBuffer(name, dialog.designName);
        return result < 0 ? 0 : static_cast<int>(result);
    });
}
