// A borrowed window: sends messages to a control it never destroys.
#pragma once

#include <windows.h>

#include <atomic>
#include <cassert>
#include <string>

namespace kx::win {

// Commands still running after the host destroyed their dialog (its owner went while a message
// box was up): what they send their controls until they end goes nowhere, by design rather than
// through a handle kept too long. One count for the process, not per thread: the library keeps no
// thread-local state of its own, which would live on after a host freed it.
inline std::atomic<int>& CommandsOutlivingTheirDialog() {
    static constinit std::atomic<int> count = 0;
    return count;
}

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}
    Window(HWND dialog, int id) : hwnd_(GetDlgItem(dialog, id)) {}

    HWND hwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        assert(!hwnd_ || IsWindow(hwnd_) || CommandsOutlivingTheirDialog() > 0);
        return SendMessageA(hwnd_, message, wParam, lParam);
    }
    template <class T>
    LRESULT send(UINT message, WPARAM wParam, T* pointer) const {
        return send(message, wParam, reinterpret_cast<LPARAM>(pointer));
    }

    bool setText(const std::string& text) const { return SetWindowTextA(hwnd_, text.c_str()) != FALSE; }
    std::string text() const {
        char buffer[1024];
        int n = GetWindowTextA(hwnd_, buffer, sizeof buffer);
        return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    bool enable(bool on) const { return EnableWindow(hwnd_, on) != FALSE; }
    bool isEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    bool show(bool on) const { return ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE) != FALSE; }
    bool isVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
    HWND parent() const { return GetParent(hwnd_); }

private:
    HWND hwnd_ = nullptr;
};

}  // namespace kx::win
