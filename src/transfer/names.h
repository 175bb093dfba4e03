// The rules a design name or a folder's display name must pass before it reaches the card.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/messages.h"

namespace kx {

// The characters a file name cannot hold: \ / : * ? " < > |
bool IsForbiddenNameCharacter(char c);

// True when a FAT volume can hold the name: 1 to 255 characters, none forbidden nor a control
// character, no trailing dot or space.
bool FatVolumeCanHoldName(std::string_view name);

// False when one of the first 8 characters of a folder display name is forbidden.
bool CheckNameCharacters(std::string_view name);

// What the rename dialog's OK finds in a typed display name, checked in this order: an empty
// entry does nothing; more than 8 characters, then a forbidden character, show their "Rename"
// message. Only Valid goes on to the card (ApplyFolderRename).
enum class DisplayNameCheck { Empty, TooLong, ForbiddenCharacter, Valid };
[[nodiscard]] DisplayNameCheck CheckFolderDisplayName(WindowRef owner, std::string_view typed);

// 1 when a typed design name has at most 36 characters; otherwise shows the long-name message
// (naming 32) and returns 0.
int CheckNameLength(WindowRef owner, std::string_view name);

// The stored form of a typed design name: its base name up to its first dot (leading dots
// skipped) followed by ".kxd". Nothing when the name holds a forbidden character.
std::optional<std::string> MakeCardDesignName(std::string_view typed);

// A name that came from outside (a host, a list file, a card listing) reduced to its file name
// part (after the last \, / or :), so it can never lead out of the folder it is joined to nor
// name a stream of another file. Nothing for an empty name or
// one that is only dots.
std::optional<std::string> ContainedFileName(std::string_view name);
// The base name (no folder, no last extension) of such a name; empty when there is none.
std::string ContainedBaseName(std::string_view name);

// The texts of the name rules, shared by the dialogs and the command-line tool.
extern const char* const kForbiddenCharactersMessage;
extern const char* const kFolderNameTooLongMessage;  // "To maximum 8 characters"

}  // namespace kx
