// Progress lines on a terminal.
#include "cli/progress.h"

#include <unistd.h>

#include <iostream>

namespace kx::cli {

TransferObserver TerminalProgress(std::string verb) {
    TransferObserver observer;
    if (!::isatty(STDERR_FILENO)) return observer;
    observer.progress = [verb = std::move(verb)](std::size_t done, std::size_t total,
                                                 const std::string& name) {
        if (total > 1) std::cerr << verb << ' ' << done + 1 << " of " << total << ": " << name << std::endl;
    };
    return observer;
}

}  // namespace kx::cli
