// The message switch: every message goes through the sink in force.
#include "platform/messages.h"

namespace kx {

namespace {
MessageSink* g_sink = nullptr;
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
    return messageSink().show(owner, text, caption, flags);
}

}  // namespace kx
