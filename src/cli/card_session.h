// Finding the card and making it ready, as the dialogs do before every card command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "card/order_file.h"
#include "cli/card_lock.h"
#include "cli/code_page.h"
#include "platform/posix/posix_platform.h"

namespace kx::cli {

// The options every card command shares.
struct GlobalOptions {
    std::string cardFolder;  // host folder given by --card; empty when none
    std::string codePage{kDefaultCodePage};  // of the card's display names: --codepage or the variable
};

// The card's code page, or nothing after a line saying it cannot be converted here.
std::optional<CardCodePage> OpenCodePage(const GlobalOptions& options);

// The card drive's root ("E:\"): the --card folder, mapped as a removable drive at the first free
// letter from E: on, or else the first removable drive of the listing. Nothing after one line
// naming a --card folder that is no folder, or after the missing-card question and a line saying
// how to name one.
std::optional<std::string> FindCardRoot(const GlobalOptions& options);

struct CardSession {
    std::string root;
    OrderFile orderFile;
    CardLock lock;  // held for as long as the command works on the card
    // Folder listings are read once while the lock is held: no other command changes the card.
    KeptFolderListings listings;
    // Design folder `folder` (0 to 11) of the card, ending with a backslash.
    std::string folderPath(int folder) const;
};

// The card found, holding media, locked for this command, and through the layout check (which
// may ask to migrate). Nothing after the messages of whichever step failed; where the layout
// check fails without one, the tool's line says why.
std::optional<CardSession> OpenCard(const GlobalOptions& options);

// A design folder as a person names it: "0" to "11", or "EmbF5" to "EmbF16" in any case.
std::optional<int> ParseFolder(std::string_view text);

}  // namespace kx::cli
