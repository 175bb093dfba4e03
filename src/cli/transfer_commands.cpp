// Write, read and erase: rows gathered from the arguments, then the same commands the dialog runs.
#include "cli/transfer_commands.h"

#include <iostream>

#include "card/card_layout.h"
#include "cli/exit_codes.h"
#include "cli/host_paths.h"
#include "cli/message_tally.h"
#include "cli/progress.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "transfer/design_lists.h"

namespace kx::cli {

namespace {

// A card folder's rows with those the names stand for ticked (file names, matched as the card's
// FAT volume does, without regard to case); names that match no row are reported.
struct NamedDesigns {
    CardTarget card;
    std::vector<ListRow> rows;
    int unmatched = 0;
};

// Nothing when the card is not ready or no name matched.
std::optional<NamedDesigns> NameDesigns(const GlobalOptions& options, int folder,
                                        const std::vector<std::string>& names) {
    auto session = OpenCard(options);
    if (!session) return std::nullopt;
    std::string cardFolder = session->folderPath(folder);
    NamedDesigns named{{cardFolder, session->root}, ListDesignFiles(cardFolder), 0};
    for (const std::string& name : names) {
        bool found = false;
        for (ListRow& row : named.rows) {
            if (!EqualsIgnoreCase(row.name, name)) continue;
            row.ticked = found = true;
        }
        if (found) continue;
        std::cerr << "kxcard: no design \"" << name << "\" in "
                  << DesignFolderNames.at(static_cast<std::size_t>(folder)) << std::endl;
        ++named.unmatched;
    }
    if (named.unmatched == static_cast<int>(names.size())) return std::nullopt;
    return named;
}

int StatusAfter(int result, int failures) {
    if (result == kNothingDone) return kExitNothingDone;
    return failures > 0 ? kExitRefused : kExitDone;
}

}  // namespace

int WriteCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& hostFiles) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    std::vector<ListRow> rows;
    for (const std::string& hostFile : hostFiles) {
        std::string path = WindowsPathOf(hostFile).value_or(hostFile);
        rows.push_back({std::string(FileNamePart(path)), path, true});
    }
    MessageTally tally;
    // The write passes over a design its conversion cannot use without a word; the tool still
    // owes the script an exit status that says a design did not arrive.
    int skipped = 0;
    TransferObserver observer = TerminalProgress("writing");
    observer.skipped = [&](const std::string&) { ++skipped; };
    int result = WriteSelectedToCard(0, rows, {session->folderPath(folder), session->root}, observer);
    if (result == kCardWriteFailed) {
        ShowMessage(0, "Out of memory space.", "Error", mb::ICONQUESTION);
        return kExitCardFull;
    }
    return StatusAfter(result, tally.notices() + skipped);
}

int ReadCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& names,
                const std::string& hostDestination) {
    auto destination = WindowsFolderOf(hostDestination);
    if (!destination) {
        std::cerr << "kxcard: " << hostDestination << " cannot be reached" << std::endl;
        return kExitNothingDone;
    }
    auto named = NameDesigns(options, folder, names);
    if (!named) return kExitNothingDone;
    MessageTally tally;
    int result = ReadSelectedFromCard(0, named->rows, named->card, *destination, TerminalProgress("reading"));
    return StatusAfter(result, tally.notices() + named->unmatched);
}

int EraseCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& names) {
    auto named = NameDesigns(options, folder, names);
    if (!named) return kExitNothingDone;
    MessageTally tally;
    int result = EraseSelectedFromCard(0, named->rows, named->card, TerminalProgress("erasing"));
    return StatusAfter(result, tally.notices() + named->unmatched);
}

}  // namespace kx::cli
