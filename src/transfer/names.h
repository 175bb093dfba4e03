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

// Why a design cannot be stored as `name` in the card folder `folder` (ending with a backslash),
// or nothing when it can: a name the card's FAT volume cannot hold or Windows takes for a device
// (COM1.kxd), a design that would take
// its own thumbnail's name (ROSE.kxt), or a path of the design, its thumbnail or the side file
// written beside them that Windows could not reach (over 259 characters). Checked before
// anything is written, so such a name never leaves half a design on the card.
std::optional<std::string> CardFileProblem(const std::string& folder, const std::string& name);

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
extern const char* const kCardCannotHoldName;        // why FatVolumeCanHoldName refused
extern const char* const kDeviceName;                // a name Windows gives a device (NUL.kxd)
extern const char* const kThumbnailNameTaken;        // a design named as its own thumbnail
extern const char* const kCardPathTooLong;           // a path on the card over 259 characters

}  // namespace kx
