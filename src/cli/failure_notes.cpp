// Failure lines on stderr, naming files as the user sees them.
#include "cli/failure_notes.h"

#include <iostream>

#include "platform/posix/posix_platform.h"

namespace kx::cli {

std::string ShownPath(const std::string& windowsPath) {
    if (windowsPath.size() < 3 || windowsPath[1] != ':') return windowsPath;
    auto drive = nativePosixPlatform().drive(windowsPath[0]);
    if (drive && drive->type == DriveType::Removable) {
        std::string shown = windowsPath.substr(3);
        for (char& c : shown)
            if (c == '\\') c = '/';
        return shown;
    }
    return nativePosixPlatform().toHostPath(windowsPath).value_or(windowsPath);
}

void PrintFailure(const std::string& file, const std::string& reason) {
    std::cerr << "kxcard: " << ShownPath(file) << ": " << reason << std::endl;
}

}  // namespace kx::cli
