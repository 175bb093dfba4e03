// The start folder: the host's folder when it can be entered, else the executable's.
#include "transfer/work_folder.h"

#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {

std::string EnterWorkFolder(const std::string& requested) {
    if (platform().setCurrentDirectory(requested)) return requested;
    PathParts executable = SplitPath(platform().executablePath());
    return MakePath(executable.drive, executable.dir, "", "");
}

}  // namespace kx
