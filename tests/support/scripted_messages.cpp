// Scripted message sink.
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

namespace kx::test {

ScriptedMessages::~ScriptedMessages() {
    setMessageSink(previous_);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " queued answer(s) never asked for";
}

int ScriptedMessages::show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) {
    shown_.push_back({owner, text, caption, flags});
    if (!IsQuestion(flags)) return id::OK;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << caption << ": " << text;
        return NegativeAnswer(flags);
    }
    int a = answers_.front();
    answers_.pop_front();
    return a;
}

std::vector<std::string> ScriptedMessages::texts() const {
    std::vector<std::string> out;
    for (const auto& m : shown_) out.push_back(m.text);
    return out;
}

}  // namespace kx::test
