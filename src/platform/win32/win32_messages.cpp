// Win32 backend of the message call: a MessageBoxA owned by the given window.
#include <windows.h>

#include "platform/messages.h"

namespace kx {

namespace {

class MessageBoxSink : public MessageSink {
public:
    int show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) override {
        return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
    }
};

}  // namespace

MessageSink& nativeMessageSink() {
    static MessageBoxSink sink;
    return sink;
}

}  // namespace kx
