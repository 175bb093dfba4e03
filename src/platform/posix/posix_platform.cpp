// POSIX backend, the process: temporary and current folders, clock, executable, last error.
#include "platform/posix/posix_platform.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/posix/host_path_facts.h"

namespace kx {

std::string PosixPlatform::tempPath() {
    const char* env = std::getenv("TMPDIR");
    std::string host = !tempFolder_.empty() ? tempFolder_ : (env && *env) ? env : "/tmp";
    return WithTrailingBackslash(toWindowsPath(host).value_or("Z:\\tmp"));
}

std::uint64_t PosixPlatform::localFileTime() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    struct tm local {};
    ::localtime_r(&ts.tv_sec, &local);
    // Local wall-clock seconds since 1970, then 100 ns units since 1601 at millisecond resolution.
    std::int64_t localSeconds = static_cast<std::int64_t>(ts.tv_sec) + local.tm_gmtoff;
    std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_nsec / 1000000);
    return (static_cast<std::uint64_t>(localSeconds) + 11644473600ull) * 10000000ull + ms * 10000ull;
}

bool PosixPlatform::setCurrentDirectory(const std::string& path) {
    if (path.empty()) return false;  // SetCurrentDirectoryA refuses an empty name too
    auto abs = absoluteWindowsPath(path);
    if (!abs) return false;
    auto host = toHostPath(*abs);
    if (!host || !IsDirectory(*host)) return false;
    auto win = toWindowsPath(*host);
    if (!win) return false;
    currentDirectory_ = WithTrailingBackslash(std::move(*win));
    return true;
}

std::string PosixPlatform::currentDirectory() { return cwd(); }

std::string PosixPlatform::executablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return toWindowsPath(buf).value_or(std::string());
}

std::string PosixPlatform::lastError() { return refusal_.empty() ? std::strerror(errno) : refusal_; }

// Asked once: the side file's name takes it for every file a command writes, and nothing here
// forks and goes on writing.
std::uint32_t CurrentProcessId() {
    static const auto pid = static_cast<std::uint32_t>(::getpid());
    return pid;
}

PosixPlatform& nativePosixPlatform() {
    static PosixPlatform instance = [] {
        PosixPlatform p;
        p.loadSystemDrives();
        return p;
    }();
    return instance;
}

Platform& nativePlatform() { return nativePosixPlatform(); }

// Names are UTF-8 here: stepping by bytes never lands inside a character on an ASCII byte.
CodePage NativeCodePage() { return CodePage(); }

}  // namespace kx
