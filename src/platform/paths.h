// Windows path arithmetic, identical on every platform: split into drive, folder,
// base name and extension, and join such parts again. Every function steps through its text by
// the characters of the names' code page (platform/code_page.h): a double-byte character's
// second byte is never taken for a separator, a dot or a letter to fold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx {

// The size of every path buffer of the system and its host, terminator included (MAX_PATH): a
// path, a typed name, a host string and a list file's record.
inline constexpr std::size_t kMaxPath = 260;

struct PathParts {
    std::string drive;  // "E:" or empty
    std::string dir;    // "\EmbF5\" (keeps its trailing separator) or empty
    std::string base;   // file name without the last extension
    std::string ext;    // the last extension with its dot, or empty
};

// As _splitpath: the extension starts at the last dot of the file name part.
PathParts SplitPath(std::string_view path);
// As _makepath: adds ":" after a bare drive letter, a separator after the folder, a dot before
// an extension that lacks one.
std::string MakePath(std::string_view drive, std::string_view dir, std::string_view base,
                     std::string_view ext);

// The file name part: everything after the last separator (\ or /) or drive colon.
std::string_view FileNamePart(std::string_view path);
// Same drive, folder and base name with another extension ("kxt").
std::string ReplaceExtension(std::string_view path, std::string_view ext);

bool IsPathSeparator(char c);
// True when the last character is a separator (\ or /).
bool EndsWithPathSeparator(std::string_view path);

// True when Windows would take the path for a device rather than a file: a path into the
// device namespaces ("\\.\COM1", "\\?\...") or a last part that is a device name (CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$), whatever follows it after a dot or a
// colon ("COM1.kxd", "nul:"). Such a path is never opened as a file: a serial port can keep a
// read waiting for good.
bool NamesWindowsDevice(std::string_view path);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// A folder path as the system keeps it: ending with a backslash (an empty path stays empty).
std::string WithTrailingBackslash(std::string folder);
// With ASCII letters in lower case (single-byte characters only): a key for names compared
// without regard to case.
std::string LowerAsciiCopy(std::string_view s);
// Wildcard match of * and ? without regard to ASCII case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace kx
