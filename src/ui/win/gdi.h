// Owners for GDI objects, image lists, icons and device contexts, and scopes that pair a
// DC's acquisition with its release.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "platform/win32/win32_handles.h"

namespace kx::win {

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
inline void DeleteDc(HDC dc) { DeleteDC(dc); }

using Bitmap = Owned<HBITMAP, DeleteGdiObject>;
using Brush = Owned<HBRUSH, DeleteGdiObject>;
using Font = Owned<HFONT, DeleteGdiObject>;
using ImageList = Owned<HIMAGELIST, DestroyImageList>;
using Icon = Owned<HICON, DestroyIconHandle>;
using MemoryDcHandle = Owned<HDC, DeleteDc>;

// Selects an object into a DC for the scope's life.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectScope() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint and EndPaint as a pair.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// GetDC and ReleaseDC as a pair.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An off-screen canvas: a memory DC compatible with `like` holding its own w × h bitmap,
// selected in for the canvas's life and put back before both are deleted.
class MemoryDc {
public:
    MemoryDc(HDC like, int width, int height)
        : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, width, height)),
          width_(width), height_(height) {
        if (dc_ && bitmap_) old_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~MemoryDc() {
        if (old_) SelectObject(dc_.get(), old_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    explicit operator bool() const { return old_ != nullptr; }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    MemoryDcHandle dc_;
    Bitmap bitmap_;
    int width_, height_;
    HGDIOBJ old_ = nullptr;
};

// Bitmap `id` of `module`, a strip of size × size cells, as a masked image list of shown × shown
// pictures (the strip's size when 0), white transparent.
ImageList LoadMaskedImageList(HINSTANCE module, int id, int size, int initial, int grow, int shown = 0);

}  // namespace kx::win
