// Windows path arithmetic with the C runtime's split and join rules.
#include "platform/paths.h"

namespace kx {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAsciiCopy(std::string_view s) {
    std::string lower(s);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string WithTrailingBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    std::size_t lastSep = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (IsPathSeparator(path[i])) lastSep = i;
    if (lastSep != std::string_view::npos) {
        parts.dir = std::string(path.substr(0, lastSep + 1));
        path.remove_prefix(lastSep + 1);
    }
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
        if (!IsPathSeparator(dir.back())) out += '\\';
    }
    out += base;
    if (!ext.empty()) {
        if (ext[0] != '.') out += '.';
        out += ext;
    }
    return out;
}

std::string_view FileNamePart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        char c = path[i - 1];
        if (IsPathSeparator(c) || (c == ':' && i == 2)) return path.substr(i);
    }
    return path;
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
    // Iterative matcher with one backtrack point: linear in practice, never recursive.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace kx
