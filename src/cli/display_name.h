// What the tool takes as a folder's display name: the rename dialog's rules, counted in the
// card's code page.
#pragma once

#include <string>
#include <string_view>

#include "cli/code_page.h"

namespace kx::cli {

// Checked in this order; the dialog's own checks keep theirs (too long, then forbidden).
enum class TypedNameCheck { Unwritable, TooLong, ForbiddenCharacter, Valid };

struct TypedName {
    TypedNameCheck check;
    std::string stored;  // the code page's bytes when Valid
};

// A display name typed in UTF-8 as the card would store it: the 8-byte limit counts the code
// page's bytes, and a forbidden character is one however the code page writes it.
TypedName StoreTypedName(const CardCodePage& codePage, std::string_view typed);

// True for stored bytes that read whole in the code page and would be stored the same again.
bool ReadsWhole(const CardCodePage& codePage, const std::string& stored);

}  // namespace kx::cli
