// Whole-file output through a temporary file and a rename. The tool's own outputs are host files
// named on its command line, so this is POSIX, not the core's drive-mapped platform.
#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

namespace kx::cli {

namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool Fail(const std::string& hostPath) {
    std::cerr << "kxcard: cannot write " << hostPath << ": " << std::strerror(errno) << std::endl;
    return false;
}

}  // namespace

bool WriteOutputFile(const std::string& hostPath, std::span<const std::uint8_t> bytes) {
    std::string pattern = hostPath + ".kxpart-XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail(hostPath);
    bool written = WriteAll(fd, bytes);
    int savedErrno = errno;
    written = ::close(fd) == 0 && written;
    if (written) {
        // mkstemp makes the file private; an output gets the usual permissions.
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temp.data(), 0666 & ~mask);
        if (::rename(temp.data(), hostPath.c_str()) == 0) return true;
        savedErrno = errno;
    }
    ::unlink(temp.data());
    errno = savedErrno;
    return Fail(hostPath);
}

}  // namespace kx::cli
