// Write, read and erase: rows gathered from the arguments, then the same commands the dialog runs.
#include "cli/transfer_commands.h"

#include <filesystem>
#include <iostream>

#include "card/card_layout.h"
#include "cli/exit_codes.h"
#include "cli/failure_notes.h"
#include "cli/host_paths.h"
#include "cli/message_tally.h"
#include "cli/progress.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "transfer/design_lists.h"

namespace kx::cli {

namespace {

// A card folder's rows with those the names stand for ticked (file names, matched as the card's
// FAT volume does, without regard to case); names that match no row, or two rows differing only
// in case (which no card holds, and which would both go), are reported.
struct NamedDesigns {
    CardSession session;  // the card stays locked until the command ends
    CardTarget card;
    std::vector<ListRow> rows;
    int unmatched = 0;
};

// Nothing when the card is not ready or no name matched.
std::optional<NamedDesigns> NameDesigns(const GlobalOptions& options, int folder,
                                        const std::vector<std::string>& names) {
    auto session = OpenCard(options);
    if (!session) return std::nullopt;
    CardTarget card{session->folderPath(folder), session->root};
    NamedDesigns named{std::move(*session), card, ListDesignFiles(*card.folder), 0};
    const std::string_view folderName = DesignFolderNames.at(static_cast<std::size_t>(folder));
    for (const std::string& name : names) {
        std::vector<ListRow*> matches;
        for (ListRow& row : named.rows)
            if (EqualsIgnoreCase(row.name, name)) matches.push_back(&row);
        if (matches.size() == 1) {
            matches[0]->ticked = true;
            continue;
        }
        if (matches.empty()) {
            std::cerr << "kxcard: no design \"" << name << "\" in " << folderName << std::endl;
        } else {
            std::cerr << "kxcard: " << folderName << "/" << name << ": " << matches.size()
                      << " designs differ from this name only in case, which a card cannot hold; none is touched"
                      << std::endl;
        }
        ++named.unmatched;
    }
    if (named.unmatched == static_cast<int>(names.size())) return std::nullopt;
    return named;
}

int StatusAfter(TransferResult result, int failures) {
    if (result == TransferResult::NothingDone) return kExitNothingDone;
    return failures > 0 ? kExitRefused : kExitDone;
}

// The tool's line for each failure the system leaves unexplained, counted for the exit status.
TransferObserver Explaining(TransferObserver observer, int& failures) {
    observer.failed = [&failures](const std::string& file, const std::string& reason) {
        PrintFailure(file, reason);
        ++failures;
    };
    observer.passedOver = observer.failed;
    return observer;
}

}  // namespace

int WriteCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& hostFiles) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    std::vector<ListRow> rows;
    for (const std::string& hostFile : hostFiles) {
        // The host's own name goes to the card as it stands: one the card cannot hold is refused
        // by the write, never cut down to another file's name.
        std::string name = std::filesystem::path(hostFile).filename().string();
        rows.push_back({name, WindowsPathOf(hostFile).value_or(hostFile), true});
    }
    MessageTally tally;
    int failures = 0;
    TransferResult result = WriteSelectedToCard(0, rows, {session->folderPath(folder), session->root},
                                                Explaining(TerminalProgress("writing"), failures));
    if (result == TransferResult::CardWriteFailed) {
        ShowCardWriteFailed(0);
        return kExitCardFull;
    }
    return StatusAfter(result, tally.notices() + failures);
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
    int failures = 0;
    TransferResult result = ReadSelectedFromCard(0, named->rows, named->card, *destination,
                                                 Explaining(TerminalProgress("reading"), failures));
    return StatusAfter(result, tally.notices() + named->unmatched + failures);
}

int EraseCommand(const GlobalOptions& options, int folder, const std::vector<std::string>& names) {
    auto named = NameDesigns(options, folder, names);
    if (!named) return kExitNothingDone;
    MessageTally tally;
    int failures = 0;
    TransferResult result = EraseSelectedFromCard(0, named->rows, named->card, Explaining(TerminalProgress("erasing"), failures));
    return StatusAfter(result, tally.notices() + named->unmatched + failures);
}

}  // namespace kx::cli
