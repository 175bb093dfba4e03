// The PC folder the main dialog starts in.
#pragma once

#include <string>

namespace kx {

// Makes `requested` the process's current directory and returns it unchanged. When it cannot
// be made current, returns the executable's folder (drive and folder, ending with a backslash)
// and leaves the current directory alone.
std::string EnterWorkFolder(const std::string& requested);

}  // namespace kx
