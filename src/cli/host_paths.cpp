// Host to Windows path translation for command arguments.
#include "cli/host_paths.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "platform/posix/posix_platform.h"

namespace kx::cli {

std::optional<std::string> WindowsPathOf(const std::string& hostPath) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(hostPath, error);
    if (error) return std::nullopt;
    std::string normal = absolute.lexically_normal().string();
    // A trailing separator would name a folder; the drive table matches folders without one.
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return nativePosixPlatform().toWindowsPath(normal);
}

std::optional<std::string> WindowsFolderOf(const std::string& hostFolder) {
    // The folder as the user named it, resolved once here: the files written into it are then
    // never reached through a link.
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(hostFolder, error);
    if (error) return std::nullopt;
    auto path = WindowsPathOf(resolved.string());
    if (!path) return std::nullopt;
    return WithTrailingBackslash(std::move(*path));
}

}  // namespace kx::cli
