// Move-only owners of Windows handles: the kernel handles the Win32 backend opens, and the GDI
// objects, image lists and icons of the dialogs.
#pragma once

#include <windows.h>

#include <utility>

namespace kx {

// Owns a handle of type H that `Release` frees; `None` is the value that owns nothing (0, or
// -1 for the functions that fail with INVALID_HANDLE_VALUE).
template <class H, auto Release, INT_PTR None = 0>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, none())) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, none()));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return h_ != none(); }
    H release() { return std::exchange(h_, none()); }
    void reset(H h = none()) {
        if (h_ != none()) Release(h_);
        h_ = h;
    }

private:
    static H none() { return reinterpret_cast<H>(None); }
    H h_ = none();
};

// CreateFileA fails with INVALID_HANDLE_VALUE (-1), as does FindFirstFileA.
using FileHandle = Owned<HANDLE, &CloseHandle, -1>;
using FindHandle = Owned<HANDLE, &FindClose, -1>;

}  // namespace kx
