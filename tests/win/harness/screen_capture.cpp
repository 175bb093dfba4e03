// Screen capture with BitBlt into a DIB section.
#include "harness/screen_capture.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kx::wintest {

bool SaveScreenBitmap(const std::string& path, const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        const bool copied = BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
        DWORD size = stride * static_cast<DWORD>(h);
        constexpr DWORD kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        BITMAPFILEHEADER file{0x4D42, kHeaders + size, 0, 0, kHeaders};
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, size, 1, out) == 1;
            ok = std::fclose(out) == 0 && ok && copied;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveScreenBitmap(const std::string& path) {
    return SaveScreenBitmap(path, RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void SaveScreenshotIfAsked(const std::string& name) {
    const char* folder = std::getenv("KX_SCREENSHOTS");
    if (folder && *folder) SaveScreenBitmap(std::string(folder) + "\\" + name + ".bmp");
}

}  // namespace kx::wintest
