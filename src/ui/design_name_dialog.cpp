// The name dialog's check of the entry.
#include "ui/design_name_dialog.h"

#include "transfer/default_name.h"
#include "transfer/names.h"
#include "ui/dialog_support.h"

namespace kx {

std::optional<std::string> DesignNameDialog::take(std::string typed) {
    if (typed.empty()) typed = MakeDefaultDesignName();
    if (!CheckNameLength(Owner(hwnd()), typed)) return std::nullopt;
    std::optional<std::string> stored = MakeCardDesignName(typed);
    if (!stored) ShowMessage(Owner(hwnd()), kForbiddenCharactersMessage, "Rename", mb::ICONHAND);
    return stored;
}

}  // namespace kx
