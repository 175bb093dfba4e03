// Drive, layout and folder commands.
#include "cli/card_commands.h"

#include <iostream>

#include "card/card_drives.h"
#include "card/card_layout.h"
#include "cli/display_name.h"
#include "cli/exit_codes.h"
#include "cli/failure_notes.h"
#include "cli/json_writer.h"
#include "cli/message_tally.h"
#include "platform/posix/posix_platform.h"
#include "transfer/card_transfers.h"
#include "transfer/design_lists.h"
#include "transfer/names.h"

namespace kx::cli {

namespace {

const char* DriveTypeName(DriveType type) { return type == DriveType::Removable ? "removable" : "fixed"; }

std::string_view FolderName(int folder) { return DesignFolderNames[static_cast<std::size_t>(folder)]; }

// The stored form of a display name typed in UTF-8; nothing after the message that refuses it
// (the dialog's own where it has one).
std::optional<std::string> StoredDisplayName(const CardCodePage& codePage, const GlobalOptions& options,
                                             const std::string& typed) {
    TypedName name = StoreTypedName(codePage, typed);
    switch (name.check) {
        case TypedNameCheck::Unwritable:
            std::cerr << "kxcard: the name \"" << typed << "\" cannot be written in code page " << options.codePage
                      << ", the card's (--codepage or " << kCodePageVariable << ")" << std::endl;
            return std::nullopt;
        case TypedNameCheck::TooLong: ShowMessage(0, kFolderNameTooLongMessage, "Rename", mb::ICONHAND); return std::nullopt;
        case TypedNameCheck::ForbiddenCharacter:
            ShowMessage(0, kForbiddenCharactersMessage, "Rename", mb::ICONHAND);
            return std::nullopt;
        case TypedNameCheck::Valid: break;
    }
    return std::move(name.stored);
}

}  // namespace

int DrivesCommand(const GlobalOptions& options, bool json) {
    auto card = FindCardRoot(options);
    if (!card) return kExitNothingDone;
    PosixPlatform& drives = nativePosixPlatform();
    JsonWriter writer(std::cout);
    if (json) writer.beginObject().key("drives").beginArray();
    for (const std::string& root : ListCardDrives().roots) {
        auto drive = drives.drive(root[0]);
        if (!drive) continue;
        if (json)
            writer.beginObject()
                .member("root", root)
                .member("type", DriveTypeName(drive->type))
                .member("folder", drive->folder)
                .member("default", root == *card)
                .end();
        else
            std::cout << root << '\t' << DriveTypeName(drive->type) << '\t' << drive->folder << '\t'
                      << (root == *card ? "default" : "-") << '\n';
    }
    if (json) writer.end().end();
    return kExitDone;
}

int CheckCommand(const GlobalOptions& options) {
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    auto drive = nativePosixPlatform().drive(session->root[0]);
    std::cout << session->root << '\t' << (drive ? drive->folder : std::string()) << "\tready\n";
    return kExitDone;
}

int FoldersCommand(const GlobalOptions& options, bool json) {
    auto codePage = OpenCodePage(options);
    if (!codePage) return kExitUsage;
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    JsonWriter writer(std::cout);
    if (json) writer.beginObject().key("folders").beginArray();
    for (int i = 0; i < kCardFolderCount; ++i) {
        const std::string name = codePage->toUtf8(session->orderFile.displayName(i));
        const bool hasDesigns = session->orderFile.hasDesigns(i);
        if (json)
            writer.beginObject()
                .member("index", i)
                .member("folder", FolderName(i))
                .member("name", name)
                .member("hasDesigns", hasDesigns)
                .end();
        else
            std::cout << i << '\t' << FolderName(i) << '\t' << name << '\t' << (hasDesigns ? 1 : 0) << '\n';
    }
    if (json) writer.end().end();
    return kExitDone;
}

int ListCommand(const GlobalOptions& options, int folder, bool json) {
    auto codePage = OpenCodePage(options);
    if (!codePage) return kExitUsage;
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    const std::vector<ListRow> rows = ListDesignFiles(session->folderPath(folder));
    if (!json) {
        for (const ListRow& row : rows) std::cout << row.name << '\n';
        return kExitDone;
    }
    JsonWriter writer(std::cout);
    writer.beginObject()
        .member("folder", FolderName(folder))
        .member("name", codePage->toUtf8(session->orderFile.displayName(folder)))
        .key("designs")
        .beginArray();
    for (const ListRow& row : rows) writer.value(row.name);
    writer.end().end();
    return kExitDone;
}

int RenameCommand(const GlobalOptions& options, int folder, const std::string& newName) {
    auto codePage = OpenCodePage(options);
    if (!codePage) return kExitUsage;
    // As in the dialog: the name is checked before the card is looked at, and an unchanged name
    // never reaches the card.
    auto stored = StoredDisplayName(*codePage, options, newName);
    if (!stored) return kExitNothingDone;
    auto session = OpenCard(options);
    if (!session) return kExitNothingDone;
    if (session->orderFile.displayName(folder) == *stored) return kExitDone;
    MessageTally tally;
    if (ApplyFolderRename(0, session->root, folder, *stored, session->orderFile) == 1) return kExitDone;
    if (tally.shown() == 0) PrintFailure(session->root + std::string(kOrderFileName), platform().lastError());
    return kExitRefused;
}

}  // namespace kx::cli
