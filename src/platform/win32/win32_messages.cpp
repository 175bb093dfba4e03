// Win32 backend of the message call: a MessageBoxA owned by the given window.
#include <windows.h>

#include "platform/messages.h"

namespace kx {

// Flags go to MessageBoxA and its answer comes back unchanged: the portable values must be its own.
static_assert(mb::OK == MB_OK && mb::OKCANCEL == MB_OKCANCEL && mb::YESNO == MB_YESNO &&
              mb::ICONHAND == MB_ICONHAND && mb::ICONQUESTION == MB_ICONQUESTION &&
              mb::ICONEXCLAMATION == MB_ICONEXCLAMATION && mb::ICONINFORMATION == MB_ICONINFORMATION &&
              mb::TYPEMASK == MB_TYPEMASK);
static_assert(id::OK == IDOK && id::CANCEL == IDCANCEL && id::YES == IDYES && id::NO == IDNO);

namespace {

class MessageBoxSink : public MessageSink {
public:
    int show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) override {
        return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
    }
};

// Made at load without a guard (the runtime's guards take per-thread state the library would
// keep after a host freed it).
constinit MessageBoxSink g_sink;

}  // namespace

MessageSink& nativeMessageSink() { return g_sink; }

}  // namespace kx
