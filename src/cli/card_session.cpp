// Card drive choice, card check and layout check for the tool.
#include "cli/card_session.h"

#include <charconv>
#include <filesystem>
#include <iostream>

#include "card/card_drives.h"
#include "card/card_layout.h"
#include "cli/failure_notes.h"
#include "cli/message_tally.h"
#include "platform/paths.h"
#include "platform/posix/posix_platform.h"

namespace kx::cli {

namespace {

// The card folder's drive, or nothing after one line saying why there is no card there (the
// no-card question would only offer the folder the user has just named).
std::optional<std::string> MapCardFolder(const std::string& hostFolder) {
    PosixPlatform& drives = nativePosixPlatform();
    std::error_code error;
    std::filesystem::path folder = std::filesystem::canonical(hostFolder, error);
    if (!error && !std::filesystem::is_directory(folder, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        std::cerr << "kxcard: " << hostFolder << ": no card there (" << error.message() << ")" << std::endl;
        return std::nullopt;
    }
    // A folder already standing as a removable drive (a mounted card, or an earlier command of
    // the same run) keeps its letter.
    std::optional<char> free;
    for (char letter = 'E'; letter <= 'Y'; ++letter) {
        auto drive = drives.drive(letter);
        if (!drive && !free) free = letter;
        if (drive && drive->type == DriveType::Removable && drive->folder == folder.string())
            return std::string(1, letter) + ":\\";
    }
    if (!free) {
        std::cerr << "kxcard: " << hostFolder << ": no card there (no drive letter is free for it)" << std::endl;
        return std::nullopt;
    }
    drives.mapDrive(*free, folder.string(), DriveType::Removable);
    return std::string(1, *free) + ":\\";
}

}  // namespace

std::optional<std::string> FindCardRoot(const GlobalOptions& options) {
    if (!options.cardFolder.empty()) return MapCardFolder(options.cardFolder);
    CardDriveList list = ListCardDrives();
    if (list.firstRemovable >= 0) return list.roots[static_cast<std::size_t>(list.firstRemovable)];
    // The dialog's question; either answer leaves the tool nothing to work on.
    static_cast<void>(AskForCard(0));
    std::cerr << "kxcard: no removable drive; name a folder to use as the card with --card DIR" << std::endl;
    return std::nullopt;
}

std::optional<CardCodePage> OpenCodePage(const GlobalOptions& options) {
    auto codePage = CardCodePage::Open(options.codePage);
    if (!codePage) std::cerr << "kxcard: " << UnknownCodePage(options.codePage) << std::endl;
    return codePage;
}

std::string CardSession::folderPath(int folder) const {
    return CardFolderPath(root, folder).value();
}

std::optional<CardSession> OpenCard(const GlobalOptions& options) {
    auto root = FindCardRoot(options);
    if (!root || !CheckCardReady(0, *root)) return std::nullopt;
    auto drive = nativePosixPlatform().drive((*root)[0]);
    auto lock = drive ? CardLock::Take(drive->folder) : std::nullopt;
    if (!lock) return std::nullopt;
    CardSession session{*root, {}, std::move(*lock), KeptFolderListings(nativePosixPlatform())};
    MessageTally tally;
    if (CheckCardLayout(0, session.root, session.orderFile)) return session;
    if (tally.shown() == 0) PrintFailure(session.root + std::string(kOrderFileName), platform().lastError());
    return std::nullopt;
}

std::optional<int> ParseFolder(std::string_view text) {
    constexpr std::string_view kPrefix = "EmbF";
    int offset = 0;
    if (text.size() > kPrefix.size() && EqualsIgnoreCase(text.substr(0, kPrefix.size()), kPrefix)) {
        text.remove_prefix(kPrefix.size());
        offset = 5;  // EmbF5 is folder 0
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    int number = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    int folder = number - offset;
    if (folder < 0 || folder >= kCardFolderCount) return std::nullopt;
    return folder;
}

}  // namespace kx::cli
