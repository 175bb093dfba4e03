// The tool's own line for a failure the system leaves unexplained: "kxcard: FILE: reason".
#pragma once

#include <string>

namespace kx::cli {

// A Windows path as the user knows it: on a card, from its root with slashes ("EmbF5/ROSE.kxd");
// elsewhere the host path; a bare name as it stands.
std::string ShownPath(const std::string& windowsPath);

void PrintFailure(const std::string& file, const std::string& reason);

}  // namespace kx::cli
