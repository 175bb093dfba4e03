// Counts the notices shown while it is in force, passing every message on: a refusal or a
// failed file operation always shows one, and the exit status reports it.
#pragma once

#include "platform/messages.h"

namespace kx::cli {

class MessageTally : public MessageSink {
public:
    MessageTally() : inner_(messageSink()), scope_(*this) {}

    int show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) override;
    // Messages that asked nothing (questions are not failures).
    int notices() const { return notices_; }
    // Every message, questions too.
    int shown() const { return shown_; }

private:
    MessageSink& inner_;
    ScopedMessageSink scope_;
    int notices_ = 0;
    int shown_ = 0;
};

}  // namespace kx::cli
