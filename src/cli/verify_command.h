// verify: what is wrong with the card as it stands, one line a finding, and its repair.
#pragma once

#include <string>
#include <vector>

#include "cli/card_session.h"

namespace kx::cli {

struct RepairChoice {
    bool repair = false;
    std::string salvage;  // the host folder torn designs go to; empty: a new one here, named after the time
};

// Checks the folders (0 to 11; all when empty) without the layout check, which would already
// change the card. Exit 0 sound, 1 something wrong (with `repair`: something not repaired),
// 3 no card. `json` prints one JSON document instead of lines. A damaged order file is rebuilt
// keeping each folder name that reads whole in the card's code page.
int VerifyCommand(const GlobalOptions& options, const std::vector<int>& folders, const RepairChoice& choice,
                  bool json);

}  // namespace kx::cli
