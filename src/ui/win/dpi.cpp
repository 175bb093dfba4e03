// The dialogs' dpi, looked up at run time: the DLL still loads where user32 or comctl32 lack the
// newer calls.
#include "ui/win/dpi.h"

#include <commctrl.h>

namespace kx::win {

namespace {

template <class Function>
Function Lookup(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name))) : nullptr;
}

}  // namespace

Dpi Dpi::Of(HWND window) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    const auto forWindow = Lookup<GetDpiForWindowCall>("user32.dll", "GetDpiForWindow");
    if (forWindow && window) {
        if (UINT dpi = forWindow(window)) return Dpi(static_cast<int>(dpi));
    }
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBase;
    if (screen) ReleaseDC(nullptr, screen);
    return Dpi(dpi);
}

HICON LoadIconAt(HINSTANCE module, int id, int size) {
    using ScaleDownCall = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    // Looked up in the comctl32 the process uses (version 6 has it, the classic one not).
    const auto scaleDown = Lookup<ScaleDownCall>("comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(module, MAKEINTRESOURCEW(id), size, size, &icon)) && icon) return icon;
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace kx::win
