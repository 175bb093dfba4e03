// Drive, layout and folder commands.
#include "cli/card_commands.h"

#include <iostream>

#include "card/card_drives.h"
#include "card/card_layout.h"
#include "cli/exit_codes.h"
#include "cli/failure_notes.h"
#include "cli/message_tally.h"
#include "platform/posix/posix_platform.h"
#include "transfer/card_transfers.h"
#include "transfer/design_lists.h"
#include "transfer/names.h"

namespace kx::cli {

namespace {

const char* DriveTypeName(DriveType type) { return type == DriveType::Removable ? "removable" : "fixed"; }

}  // namespace

int DrivesCommand(const GlobalOptions& options) {
    auto card = FindCardRoot(options);
    if (!card) return kExitNothingDone;
    PosixPlatform& drives = nativePosixPlatform();
    for (const std::string& root : ListCardDrives().roots) {
        auto drive = drives.drive(root[0]);
        if (!drive) continue;
        std::cout << root << '\t' << DriveTypeName(drive->type) << '\t' << drive->folder << '\t'
                  << (root == *card ? "default" : "-") << '\n';
    }
    return kExitDone;
}

int CheckCommand(const GlobalOptions& options) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    auto drive = nativePosixPlatform().drive(session->root[0]);
    std::cout << session->root << '\t' << (drive ? drive->folder : std::string()) << "\tready\n";
    return kExitDone;
}

int FoldersCommand(const GlobalOptions& options) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    for (int i = 0; i < kCardFolderCount; ++i) {
        std::cout << i << '\t' << DesignFolderNames[static_cast<std::size_t>(i)] << '\t'
                  << session->orderFile.displayName(i) << '\t' << (session->orderFile.hasDesigns(i) ? 1 : 0)
                  << '\n';
    }
    return kExitDone;
}

int ListCommand(const GlobalOptions& options, int folder) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    for (const ListRow& row : ListDesignFiles(session->folderPath(folder))) std::cout << row.name << '\n';
    return kExitDone;
}

int RenameCommand(const GlobalOptions& options, int folder, const std::string& newName) {
    // As in the dialog: the name is checked before the card is looked at, and an unchanged name
    // never reaches the card.
    if (CheckFolderDisplayName(0, newName) != DisplayNameCheck::Valid) return kExitNothingDone;
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    if (session->orderFile.displayName(folder) == newName) return kExitDone;
    MessageTally tally;
    if (ApplyFolderRename(0, session->root, folder, newName, session->orderFile) == 1) return kExitDone;
    if (tally.shown() == 0) PrintFailure(session->root + std::string(kOrderFileName), platform().lastError());
    return kExitRefused;
}

}  // namespace kx::cli
