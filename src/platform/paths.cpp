// Windows path arithmetic with the C runtime's split and join rules.
#include "platform/paths.h"

#include "platform/code_page.h"

namespace kx {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The position just after the last character of `text` that `matches`, or 0 when none does.
template <class Matches>
std::size_t EndOfLastCharacter(std::string_view text, Matches matches) {
    std::size_t end = 0;
    ForEachCharacter(text, [&](std::size_t at, std::size_t length) {
        if (length == 1 && matches(text[at], at)) end = at + 1;
        return true;
    });
    return end;
}

}  // namespace

std::string LowerAsciiCopy(std::string_view s) {
    std::string lower(s);
    // A double-byte character's second byte may be an ASCII letter: it is never folded.
    ForEachCharacter(s, [&](std::size_t at, std::size_t length) {
        if (length == 1) lower[at] = LowerAscii(lower[at]);
        return true;
    });
    return lower;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // While the two agree, a character of one is a character of the other.
    bool same = true;
    ForEachCharacter(a, [&](std::size_t at, std::size_t length) {
        same = length == 1 ? LowerAscii(a[at]) == LowerAscii(b[at]) : a.substr(at, length) == b.substr(at, length);
        return same;
    });
    return same;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithPathSeparator(std::string_view path) {
    return !path.empty() && EndOfLastCharacter(path, [](char c, std::size_t) { return IsPathSeparator(c); }) == path.size();
}

std::string WithTrailingBackslash(std::string folder) {
    if (!folder.empty() && !EndsWithPathSeparator(folder)) folder += '\\';
    return folder;
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':' && !nameCodePage().isLeadByte(path[0])) {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    std::size_t nameStart = EndOfLastCharacter(path, [](char c, std::size_t) { return IsPathSeparator(c); });
    parts.dir = std::string(path.substr(0, nameStart));
    path.remove_prefix(nameStart);
    // A dot is below every second byte of a double-byte character: the last one is a character.
    std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) {
        parts.ext = std::string(path.substr(dot));
        path = path.substr(0, dot);
    }
    parts.base = std::string(path);
    return parts;
}

std::string MakePath(std::string_view drive, std::string_view dir, std::string_view base,
                     std::string_view ext) {
    std::string out;
    if (!drive.empty()) {
        out += drive[0];
        out += ':';
    }
    if (!dir.empty()) {
        out += dir;
        if (!EndsWithPathSeparator(dir)) out += '\\';
    }
    out += base;
    if (!ext.empty()) {
        if (ext[0] != '.') out += '.';
        out += ext;
    }
    return out;
}

std::string_view FileNamePart(std::string_view path) {
    return path.substr(EndOfLastCharacter(path, [](char c, std::size_t at) {
        return IsPathSeparator(c) || (c == ':' && at == 1);
    }));
}

bool NamesWindowsDevice(std::string_view path) {
    if (path.size() >= 4 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) &&
        (path[2] == '.' || path[2] == '?') && IsPathSeparator(path[3]))
        return true;
    std::string_view name = FileNamePart(path);
    // The device is named up to the first dot or colon, trailing spaces left out.
    name = name.substr(0, name.find_first_of(".:"));
    name = name.substr(0, name.find_last_not_of(' ') + 1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsIgnoreCase(name, device)) return true;
    return name.size() == 4 && (EqualsIgnoreCase(name.substr(0, 3), "COM") || EqualsIgnoreCase(name.substr(0, 3), "LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

std::string ReplaceExtension(std::string_view path, std::string_view ext) {
    PathParts p = SplitPath(path);
    return MakePath(p.drive, p.dir, p.base, ext);
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Iterative matcher with one backtrack point: linear in practice, never recursive. It steps
    // by characters: ? takes a whole double-byte character, and only single bytes fold case.
    const CodePage& codePage = nameCodePage();
    auto sameCharacter = [&](std::size_t p, std::size_t n) {
        std::size_t length = codePage.next(name, n) - n;
        if (codePage.next(pattern, p) - p != length) return false;
        return length == 1 ? LowerAscii(pattern[p]) == LowerAscii(name[n]) : pattern.substr(p, length) == name.substr(n, length);
    };
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || sameCharacter(p, n))) {
            p = codePage.next(pattern, p);
            n = codePage.next(name, n);
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = starN = codePage.next(name, starN);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace kx
