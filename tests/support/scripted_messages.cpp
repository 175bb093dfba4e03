// Scripted message sink.
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

namespace kx::test {

ScriptedMessages::~ScriptedMessages() {
    setMessageSink(previous_);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " queued answer(s) never asked for";
    EXPECT_FALSE(duringWait_) << "an action for a wait that never came";
}

int ScriptedMessages::show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) {
    shown_.push_back(std::to_string(owner) + " " + std::to_string(flags) + " " + caption + ": " + text);
    if (auto action = std::exchange(duringWait_, {})) action();
    if (!IsQuestion(flags)) return id::OK;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << caption << ": " << text;
        return NegativeAnswer(flags);
    }
    int a = answers_.front();
    answers_.pop_front();
    return a;
}

}  // namespace kx::test
