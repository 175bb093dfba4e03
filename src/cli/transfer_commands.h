// The main dialog's card transfers at a shell: write, read and erase.
#pragma once

#include <string>
#include <vector>

#include "cli/card_session.h"

namespace kx::cli {

// Writes the host design files, in the order given, into card folder `folder`.
int WriteCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& hostFiles);
// Copies the named card designs of `folder` into the host folder `hostDestination`.
int ReadCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& names,
                const std::string& hostDestination);
// Erases the named card designs of `folder` with their thumbnails, after the question.
int EraseCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& names);

}  // namespace kx::cli
