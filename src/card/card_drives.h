// The drives that may hold the card, the question shown when there is none, the tests every card
// command makes first, and the volume flush that ends every transfer.
#pragma once

#include <string>
#include <vector>

#include "platform/messages.h"

namespace kx {

struct CardDriveList {
    std::vector<std::string> roots;  // "E:\" for each listed drive, in drive-letter order
    int firstRemovable = -1;         // position in `roots` of the first removable drive, or -1

    // The roots joined by "," without a trailing comma; empty when nothing was listed.
    std::string joined() const;
};

// Removable drives from B: on, and fixed drives whose total size reads as zero. A: is never
// looked at; every other drive type is skipped.
CardDriveList ListCardDrives();

// True when the drive's total capacity (not its free space) is not zero.
bool DriveHasMedia(const std::string& root);

// The question shown when no removable drive was listed ("Confirm", OK and Cancel): id::OK goes on
// without a card, id::CANCEL ends the dialog that asked with code 2.
[[nodiscard]] int AskForCard(WindowRef owner);

// The test every card command makes first: false, silently, without a card drive (`root` empty);
// false after the "SnapPort" message when the drive holds no media.
[[nodiscard]] bool CheckCardReady(WindowRef owner, const std::string& root);

// Flushes the buffers of the volume of `driveLetter`; a volume that cannot be opened is left alone.
void FlushVolume(char driveLetter);

}  // namespace kx
