// Host paths as the core's Windows paths, through the drive table of the POSIX backend.
#pragma once

#include <optional>
#include <string>

namespace kx::cli {

// The Windows name of a host file or folder (relative paths from the current directory); Z:\ is
// "/". Nothing when no drive covers it.
std::optional<std::string> WindowsPathOf(const std::string& hostPath);
// The same for an existing folder, its links resolved, ending with a backslash.
std::optional<std::string> WindowsFolderOf(const std::string& hostFolder);

}  // namespace kx::cli
