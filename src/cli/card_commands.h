// Commands on the card's drives, layout and folders: drives, check, folders, list, rename.
#pragma once

#include <string>

#include "cli/card_session.h"

namespace kx::cli {

// The card-drive candidates, one a line: root, type, host folder, and "default" or "-"; with
// `json` one JSON document (each command's `json` likewise).
int DrivesCommand(const GlobalOptions& options, bool json);
// The card check and layout check alone.
int CheckCommand(const GlobalOptions& options);
// Twelve lines: index, folder, display name in UTF-8, has designs (0 or 1).
int FoldersCommand(const GlobalOptions& options, bool json);
// The folder's design files in the design list's order (the JSON names the folder too).
int ListCommand(const GlobalOptions& options, int folder, bool json);
// A folder's display name typed in UTF-8, stored in the card's code page under the rename
// dialog's name rules and messages.
int RenameCommand(const GlobalOptions& options, int folder, const std::string& newName);

}  // namespace kx::cli
