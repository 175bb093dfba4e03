// Commands on the card's drives, layout and folders: drives, check, folders, list, rename.
#pragma once

#include <string>

#include "cli/card_session.h"

namespace kx::cli {

// The card-drive candidates, one a line: root, type, host folder, and "default" or "-".
int DrivesCommand(const GlobalOptions& options);
// The card check and layout check alone.
int CheckCommand(const GlobalOptions& options);
// Twelve lines: index, folder, display name, has designs (0 or 1).
int FoldersCommand(const GlobalOptions& options);
// The folder's design files in the design list's order.
int ListCommand(const GlobalOptions& options, int folder);
// A folder's display name, under the rename dialog's name rules and messages.
int RenameCommand(const GlobalOptions& options, int folder, const std::string& newName);

}  // namespace kx::cli
