// Notice counting over the sink in force.
#include "cli/message_tally.h"

namespace kx::cli {

int MessageTally::show(WindowRef owner, const std::string& text, const std::string& caption, unsigned flags) {
    if (!IsQuestion(flags)) ++notices_;
    return inner_.show(owner, text, caption, flags);
}

}  // namespace kx::cli
