// verify: what is wrong with the card as it stands, one line a finding, and its repair.
#pragma once

#include <vector>

#include "cli/card_session.h"

namespace kx::cli {

// Checks the folders (0 to 11; all when empty) without the layout check, which would already
// change the card. Exit 0 sound, 1 something wrong (with `repair`: something not repaired),
// 3 no card. `json` prints one JSON document instead of lines. A damaged order file is rebuilt
// keeping each folder name that reads whole in the card's code page.
int VerifyCommand(const GlobalOptions& options, const std::vector<int>& folders, bool repair, bool json);

}  // namespace kx::cli
