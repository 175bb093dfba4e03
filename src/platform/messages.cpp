// The message switch: every message goes through the sink in force.
#include "platform/messages.h"

#include <atomic>

namespace kx {

namespace {
MessageSink* g_sink = nullptr;
// Counted before the message shows: what changes while it waits is after the count.
std::atomic<std::uint32_t> g_shown{0};
}

bool IsQuestion(unsigned flags) {
    unsigned type = flags & mb::TYPEMASK;
    return type == mb::YESNO || type == mb::OKCANCEL;
}

int PositiveAnswer(unsigned flags) { return (flags & mb::TYPEMASK) == mb::YESNO ? id::YES : id::OK; }
int NegativeAnswer(unsigned flags) { return (flags & mb::TYPEMASK) == mb::YESNO ? id::NO : id::CANCEL; }

MessageSink& messageSink() { return g_sink ? *g_sink : nativeMessageSink(); }
void setMessageSink(MessageSink* sink) { g_sink = sink; }

int ShowMessage(WindowRef owner, const std::string& text, const std::string& caption,
                unsigned flags) {
    ++g_shown;
    return messageSink().show(owner, text, caption, flags);
}

std::uint32_t MessagesShown() { return g_shown; }

}  // namespace kx
