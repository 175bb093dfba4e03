// Small facts about host paths that the POSIX backend's files share.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kx {

inline bool IsDirectory(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline bool Exists(const std::string& hostPath) {
    struct stat st {};
    return ::lstat(hostPath.c_str(), &st) == 0;
}

// The words for what stands at a path instead of a regular file; null for a regular file.
inline const char* NotAFileReason(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return std::strerror(EISDIR);
    if (S_ISLNK(mode)) return "Is a link";
    if (S_ISFIFO(mode)) return "Is a FIFO";
    if (S_ISSOCK(mode)) return "Is a socket";
    return "Is a device";
}

}  // namespace kx
