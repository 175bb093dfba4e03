// Console backend of the message call.
#include "platform/posix/console_messages.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace kx {

namespace {

bool IsQuestion(unsigned flags) {
    unsigned type = flags & mb::TYPEMASK;
    return type == mb::YESNO || type == mb::OKCANCEL;
}

int Positive(unsigned flags) { return (flags & mb::TYPEMASK) == mb::YESNO ? id::YES : id::OK; }
int Negative(unsigned flags) { return (flags & mb::TYPEMASK) == mb::YESNO ? id::NO : id::CANCEL; }

}  // namespace

int ConsoleMessageSink::show(WindowRef, const std::string& text, const std::string& caption,
                             unsigned flags) {
    std::cerr << caption << ": " << text << std::endl;
    if (!IsQuestion(flags)) return id::OK;
    if (answer_ == Answer::Yes) return Positive(flags);
    if (answer_ == Answer::No || !::isatty(STDIN_FILENO)) return Negative(flags);
    bool yesNo = (flags & mb::TYPEMASK) == mb::YESNO;
    for (;;) {
        std::cerr << (yesNo ? "[y/n] " : "[o]k/[c]ancel ") << std::flush;
        std::string line;
        if (!std::getline(std::cin, line)) return Negative(flags);
        char c = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (c == (yesNo ? 'y' : 'o')) return Positive(flags);
        if (c == (yesNo ? 'n' : 'c')) return Negative(flags);
    }
}

MessageSink& nativeMessageSink() {
    static ConsoleMessageSink sink;
    return sink;
}

}  // namespace kx
