// Progress of a transfer of several designs, for a person watching a terminal.
#pragma once

#include <string>

#include "transfer/card_transfers.h"

namespace kx::cli {

// Shows "<verb> n of total: name" on stderr before each design when stderr is a terminal and
// more than one design is on its way; silent otherwise, so scripts and logs stay clean.
TransferObserver TerminalProgress(std::string verb);

}  // namespace kx::cli
