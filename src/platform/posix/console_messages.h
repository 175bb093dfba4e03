// Messages at a shell: "Caption: text" on stderr; questions answered by a fixed choice or,
// on a terminal, by the person.
#pragma once

#include "platform/messages.h"

namespace kx {

class ConsoleMessageSink : public MessageSink {
public:
    enum class Answer { Ask, Yes, No };
    explicit ConsoleMessageSink(Answer answer = Answer::Ask) : answer_(answer) {}
    void setAnswer(Answer answer) { answer_ = answer; }
    int show(WindowRef owner, const std::string& text, const std::string& caption,
             unsigned flags) override;

private:
    Answer answer_;
};

}  // namespace kx
