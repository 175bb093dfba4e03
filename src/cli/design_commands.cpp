// Reading a design argument, and the card conversion.
#include "cli/design_commands.h"

#include <iostream>

#include "cli/exit_codes.h"
#include "cli/host_paths.h"
#include "cli/output_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace kx::cli {

std::optional<std::vector<std::uint8_t>> ReadDesignArgument(const std::string& hostFile) {
    auto path = WindowsPathOf(hostFile);
    if (!path) {
        std::cerr << "kxcard: " << hostFile << ": no drive covers it" << std::endl;
        return std::nullopt;
    }
    auto bytes = ReadWholeFile(*path);
    if (!bytes) std::cerr << "kxcard: " << hostFile << ": " << platform().lastError() << std::endl;
    return bytes;
}

int ConvertCommand(const std::string& hostFile, const std::string& hostOut) {
    if (!IsDesignFileName(FileNamePart(hostFile))) {
        std::cerr << "kxcard: " << hostFile << " is not named as a design file (.kxd)" << std::endl;
        return kExitRefused;
    }
    auto file = ReadDesignArgument(hostFile);
    if (!file) return kExitRefused;
    CardConversion conversion = ConvertDesignForCard(*file);
    switch (conversion.outcome) {
        case CardConversion::Outcome::Refused:
            std::cerr << "kxcard: " << hostFile << ": " << RefusalReason(conversion.refusal) << std::endl;
            return kExitRefused;
        case CardConversion::Outcome::PlainCopy:
            std::cerr << "kxcard: the stream of " << hostFile
                      << " cannot be interpreted; it goes to the card unchanged" << std::endl;
            return WriteOutputFile(hostOut, *file) ? kExitDone : kExitRefused;
        case CardConversion::Outcome::Converted: break;
    }
    return WriteOutputFile(hostOut, conversion.bytes) ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
