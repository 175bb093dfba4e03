// The card's folder layout: twelve design folders and the order file at the root, the check
// that makes a card ready, and the move of the earlier layout's folders to their current names.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "card/order_file.h"
#include "platform/messages.h"

namespace kx {

// Design folder i of the card; the user's names for them live only in the order file.
inline constexpr std::array<std::string_view, kCardFolderCount> DesignFolderNames{
    "EmbF5", "EmbF6", "EmbF7", "EmbF8", "EmbF9", "EmbF10",
    "EmbF11", "EmbF12", "EmbF13", "EmbF14", "EmbF15", "EmbF16"};

// root + the name of design folder `folder` (0 to 11) + a backslash: the path every card
// command works in. Nothing for any other index.
std::optional<std::string> CardFolderPath(const std::string& root, int folder);

// The order-name table of a new order file; no folder carries these names.
inline constexpr std::array<std::string_view, kCardFolderCount> OrderFolderNames{
    "OrdF5", "OrdF6", "OrdF7", "OrdF8", "OrdF9", "OrdF10",
    "OrdF11", "OrdF12", "OrdF13", "OrdF14", "OrdF15", "OrdF16"};

// Bits of DetectOldLayout: which folder of the earlier layout is to take its current name.
inline constexpr int kMoveEmbFile = 1;  // "EMB_FILE" → "EmbF5"
inline constexpr int kMovePcLink = 2;   // "PC_LINK" → "EmbF6"

// Makes the card at `root` ("E:\") ready: offers to migrate an earlier layout, reads or creates
// the order file into `orderFile`, creates missing design folders and sets the in-memory
// has-designs flags. True when ready; false otherwise, with `orderFile` none.
bool CheckCardLayout(WindowRef owner, const std::string& root, OrderFile& orderFile);

// The kMove* bits for the earlier folders whose current counterparts are missing; 0 whenever
// both "EmbF5" and "EmbF6" exist.
int DetectOldLayout(const std::string& root);
// Moves the folders named by the bits; a failed move leaves the earlier folder as it was.
void MigrateOldFolders(const std::string& root, int moves);

// `folder` ends with a backslash. Creates it when a search inside finds nothing; a failure
// (such as a file of that name) goes unreported. Every command that writes into a card folder
// makes sure of it this way first.
void EnsureFolder(const std::string& folder);
// True when `folder` (ending with a backslash) holds at least one ".kxd" file.
bool FolderHasDesigns(const std::string& folder);

}  // namespace kx
