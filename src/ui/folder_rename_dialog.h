// The folder rename dialog: template 106 under its own title and prompt, for the display name
// of a card folder (at most 8 characters). It only asks for the name; the caller takes it to
// the card.
#pragma once

#include "ui/name_entry_dialog.h"

namespace kx {

// Takes a name that passes the display-name rules; an empty entry keeps the dialog open.
class FolderRenameDialog final : public NameEntryDialog {
private:
    void label() override;
    std::optional<std::string> take(std::string typed) override;
};

}  // namespace kx
