// The message switch: every message goes through the sink in force.
#include "platform/messages.h"

namespace kx {

namespace {
MessageSink* g_sink = nullptr;
}

MessageSink& messageSink() { return g_sink ? *g_sink : nativeMessageSink(); }
void setMessageSink(MessageSink* sink) { g_sink = sink; }

int ShowMessage(WindowRef owner, const std::string& text, const std::string& caption,
                unsigned flags) {
    return messageSink().show(owner, text, caption, flags);
}

}  // namespace kx
