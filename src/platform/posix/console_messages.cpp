// Console backend of the message call.
#include "platform/posix/console_messages.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace kx {

int ConsoleMessageSink::show(WindowRef, const std::string& text, const std::string& caption,
                             unsigned flags) {
    std::cerr << caption << ": " << text << std::endl;
    if (!IsQuestion(flags)) return id::OK;
    if (answer_ == Answer::Yes) return PositiveAnswer(flags);
    if (answer_ == Answer::No || !::isatty(STDIN_FILENO)) return NegativeAnswer(flags);
    bool yesNo = (flags & mb::TYPEMASK) == mb::YESNO;
    for (;;) {
        std::cerr << (yesNo ? "[y/n] " : "[o]k/[c]ancel ") << std::flush;
        std::string line;
        if (!std::getline(std::cin, line)) return NegativeAnswer(flags);
        char c = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (c == (yesNo ? 'y' : 'o')) return PositiveAnswer(flags);
        if (c == (yesNo ? 'n' : 'c')) return NegativeAnswer(flags);
    }
}

MessageSink& nativeMessageSink() {
    static ConsoleMessageSink sink;
    return sink;
}

}  // namespace kx
