// The characters of the system's 8-bit names: which bytes begin a double-byte character. Every
// split, cut and character check of a path or name steps by these characters, so that no name
// is ever cut inside one (in code page 932 a second byte may be 0x5C, the backslash).
#pragma once

#include <bitset>
#include <cstddef>
#include <string_view>

#include "platform/scoped_override.h"

namespace kx {

class CodePage {
public:
    // A single-byte code page (1252), or UTF-8: no byte of a UTF-8 multibyte character is below
    // 0x80, so stepping by bytes never meets a separator or an ASCII letter inside one.
    CodePage() = default;
    explicit CodePage(const std::bitset<256>& leadBytes) : leadBytes_(leadBytes) {}

    bool isLeadByte(char c) const { return leadBytes_[static_cast<unsigned char>(c)]; }
    // Where the character at `at` ends: two bytes for a lead byte with a byte after it, else one.
    std::size_t next(std::string_view text, std::size_t at) const {
        return at + (isLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1);
    }

private:
    std::bitset<256> leadBytes_;
};

// The code page of the system's names, asked of the backend once (Windows: the process's ANSI
// code page; POSIX: UTF-8). Tests put another in force for a scope.
CodePage& nameCodePage();
void setNameCodePage(CodePage* codePage);
using ScopedCodePage = ScopedOverride<CodePage, nameCodePage, setNameCodePage>;

// The backend's answer, made once by nameCodePage().
CodePage NativeCodePage();

// Calls `visit(position, length)` for each character of `text`, first to last, until it returns
// false.
template <class Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
    const CodePage& codePage = nameCodePage();
    for (std::size_t at = 0, end = 0; at < text.size(); at = end) {
        end = codePage.next(text, at);
        if (!visit(at, end - at)) return;
    }
}

// The longest start of `text` that has at most `bytes` bytes and ends on a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t bytes);

}  // namespace kx
