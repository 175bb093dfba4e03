// The dialog that asks for a card folder's new display name (template 106).
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// Asks, owned by `owner`, for a new display name of card folder `folder` (0..11); `name` holds
// the current one. True when the user confirmed a name that differs from it (compared case
// for case); `name` then holds the new name. Nothing on the card is touched here.
bool RunFolderRenameDialog(HWND owner, int folder, std::string& name);

}  // namespace kx
