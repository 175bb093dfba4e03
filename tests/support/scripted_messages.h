// A message sink for tests: records every message, answers questions from a queue, and
// fails the test on a question nobody expected.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/messages.h"

namespace kx::test {

class ScriptedMessages : public MessageSink {
public:
    ScriptedMessages() : previous_(&messageSink()) { setMessageSink(this); }
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Queues the answer (id::YES, id::NO, id::OK, id::CANCEL) to the next question.
    void answer(int id) { answers_.push_back(id); }
    // Runs `action` while the next message waits, as another program or a nested call would.
    void whileNextWaits(std::function<void()> action) { duringWait_ = std::move(action); }
    int show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) override;

    // The messages shown since the last take, as "owner flags caption: text"; forgets them.
    std::vector<std::string> take() { return std::exchange(shown_, {}); }

private:
    MessageSink* previous_;
    std::deque<int> answers_;
    std::function<void()> duringWait_;
    std::vector<std::string> shown_;
};

}  // namespace kx::test
