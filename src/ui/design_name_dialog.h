// The name dialog (template 106, "Kxd Name"): the name the direct write stores the design under.
#pragma once

#include "ui/name_entry_dialog.h"

namespace kx {

// Takes a typed name that passes the length and character rules, an empty entry as the
// time-based default, and stores it ending in ".kxd".
class DesignNameDialog final : public NameEntryDialog {
private:
    std::optional<std::string> take(std::string typed) override;
};

}  // namespace kx
