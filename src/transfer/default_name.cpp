// The default design name from the local clock.
#include "transfer/default_name.h"

#include <algorithm>

#include "platform/platform.h"

namespace kx {

std::string FormatBase36(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string digits;
    do {
        digits += kDigits[value % 36];
        value /= 36;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string MakeDefaultDesignName() { return FormatBase36(platform().localFileTime()) + ".kxd"; }

}  // namespace kx
