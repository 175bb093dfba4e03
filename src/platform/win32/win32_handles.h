// Move-only owners of the kernel handles the Win32 backend opens.
#pragma once

#include <windows.h>

#include <utility>

namespace kx {

// Owns a handle whose "none" value is `Invalid` and that `Close` releases.
template <auto Invalid, BOOL(WINAPI* Close)(HANDLE)>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE h) : h_(h) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& o) noexcept : h_(std::exchange(o.h_, invalid())) {}
    OwnedHandle& operator=(OwnedHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, invalid());
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != invalid(); }
    void reset() {
        if (h_ != invalid()) Close(h_);
        h_ = invalid();
    }

private:
    static HANDLE invalid() { return reinterpret_cast<HANDLE>(Invalid); }
    HANDLE h_ = invalid();
};

// CreateFileA fails with INVALID_HANDLE_VALUE (-1), as does FindFirstFileA.
using FileHandle = OwnedHandle<static_cast<INT_PTR>(-1), &CloseHandle>;
using FindHandle = OwnedHandle<static_cast<INT_PTR>(-1), &FindClose>;

}  // namespace kx
