// The display-name rules over the typed UTF-8 and the code page's bytes.
#include "cli/display_name.h"

#include <algorithm>

#include "card/order_file.h"
#include "transfer/names.h"

namespace kx::cli {

TypedName StoreTypedName(const CardCodePage& codePage, std::string_view typed) {
    auto stored = codePage.fromUtf8(typed);
    if (!stored) return {TypedNameCheck::Unwritable, {}};
    if (stored->size() > kDisplayNameLength) return {TypedNameCheck::TooLong, {}};
    // In UTF-8 every byte of a character beyond ASCII is 0x80 or more, so no part of one can be
    // taken for a forbidden character, as a 932 trail byte could in the stored bytes.
    if (std::any_of(typed.begin(), typed.end(), IsForbiddenNameCharacter)) return {TypedNameCheck::ForbiddenCharacter, {}};
    return {TypedNameCheck::Valid, std::move(*stored)};
}

bool ReadsWhole(const CardCodePage& codePage, const std::string& stored) {
    if (stored.empty()) return false;
    const TypedName again = StoreTypedName(codePage, codePage.toUtf8(stored));
    return again.check == TypedNameCheck::Valid && again.stored == stored;
}

}  // namespace kx::cli
