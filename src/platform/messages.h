// The one call through which every message of the system is shown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/scoped_override.h"

namespace kx {

// An owner window as an opaque value: an HWND on Windows, anything (or 0) elsewhere.
using WindowRef = std::uintptr_t;

// MessageBoxA flags and answers, with their Win32 values.
namespace mb {
inline constexpr unsigned OK = 0x00;
inline constexpr unsigned OKCANCEL = 0x01;
inline constexpr unsigned YESNO = 0x04;
inline constexpr unsigned ICONHAND = 0x10;
inline constexpr unsigned ICONQUESTION = 0x20;
inline constexpr unsigned ICONEXCLAMATION = 0x30;
inline constexpr unsigned ICONINFORMATION = 0x40;
inline constexpr unsigned TYPEMASK = 0x0F;
}  // namespace mb

namespace id {
inline constexpr int OK = 1;
inline constexpr int CANCEL = 2;
inline constexpr int YES = 6;
inline constexpr int NO = 7;
}  // namespace id

// True for the flags of a question (Yes/No or OK/Cancel): the answer says what happens next.
bool IsQuestion(unsigned flags);
// The answer of a question's Yes or OK button, and of its No or Cancel button.
int PositiveAnswer(unsigned flags);
int NegativeAnswer(unsigned flags);

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the message and returns the answer (an id:: value).
    virtual int show(WindowRef owner, const std::string& text, const std::string& caption,
                     unsigned flags) = 0;
};

// The backend of this build: MessageBoxA on Windows, the console elsewhere.
MessageSink& nativeMessageSink();

MessageSink& messageSink();
void setMessageSink(MessageSink* sink);

// Shows a message through the sink in force and returns its answer.
int ShowMessage(WindowRef owner, const std::string& text, const std::string& caption,
                unsigned flags);

// How many messages this process has shown. Every message waits for the user, and meanwhile
// another program or a nested call may change a card: a command that sees this move since it
// looked at the card looks again. It only ever grows (and wraps): compare for a change.
std::uint32_t MessagesShown();

using ScopedMessageSink = ScopedOverride<MessageSink, messageSink, setMessageSink>;

}  // namespace kx
