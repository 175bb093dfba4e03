// The layout check, the earlier layout's migration and the folder probes it rests on.
#include "card/card_layout.h"

#include "platform/platform.h"

namespace kx {

namespace {

constexpr std::string_view kEarlierDesignFolder = "EMB_FILE";
constexpr std::string_view kEarlierLinkFolder = "PC_LINK";

constexpr const char* kMigrationCaption = "Attention";
constexpr const char* kMigrationText =
    "A folder name from a previous version has been detected in the card.\n"
    "Do you want to change the folder name for version 3.0?\n"
    "If you wish to use this card on the Version 3.0, click the [Yes] button.\n"
    "If you click the [No] button, the card cannot be used with this software.\n\n"
    "Note: If you wish to use this card on the Version 2.20, click the [No] button.";

std::string FolderPath(const std::string& root, std::string_view name) {
    return root + std::string(name) + "\\";
}

// A folder exists when a search inside it finds anything ("." at least).
bool FolderExists(const std::string& folder) { return PathExists(folder + "*"); }

bool CardFolderExists(const std::string& root, std::string_view name) {
    return FolderExists(FolderPath(root, name));
}

// Asks before the card is changed; any answer but Yes leaves it untouched.
bool UserAcceptsMigration(WindowRef owner) {
    return ShowMessage(owner, kMigrationText, kMigrationCaption, mb::YESNO | mb::ICONHAND) == id::YES;
}

}  // namespace

std::optional<std::string> CardFolderPath(const std::string& root, int folder) {
    if (folder < 0 || folder >= kCardFolderCount) return std::nullopt;
    return FolderPath(root, DesignFolderNames[static_cast<std::size_t>(folder)]);
}

int DetectOldLayout(const std::string& root) {
    const bool hasFirst = CardFolderExists(root, DesignFolderNames[0]);
    const bool hasSecond = CardFolderExists(root, DesignFolderNames[1]);
    if (hasFirst && hasSecond) return 0;
    int moves = 0;
    if (!hasFirst && CardFolderExists(root, kEarlierDesignFolder)) moves |= kMoveEmbFile;
    if (!hasSecond && CardFolderExists(root, kEarlierLinkFolder)) moves |= kMovePcLink;
    return moves;
}

void MigrateOldFolders(const std::string& root, int moves) {
    if (moves & kMoveEmbFile)
        platform().moveFile(root + std::string(kEarlierDesignFolder), root + std::string(DesignFolderNames[0]));
    if (moves & kMovePcLink)
        platform().moveFile(root + std::string(kEarlierLinkFolder), root + std::string(DesignFolderNames[1]));
}

void EnsureFolder(const std::string& folder) {
    if (!FolderExists(folder)) platform().createDirectory(folder);
}

bool FolderHasDesigns(const std::string& folder) { return PathExists(folder + "*.kxd"); }

bool CheckCardLayout(WindowRef owner, const std::string& root, OrderFile& orderFile) {
    orderFile.reset();
    if (int moves = DetectOldLayout(root)) {
        if (!UserAcceptsMigration(owner)) return false;
        MigrateOldFolders(root, moves);
    }
    // A missing, wrong-size or invalid file is replaced; a failed read has been reported.
    if (ReadOrderFile(owner, root, orderFile) == OrderFileRead::Unusable) CreateOrderFile(root, orderFile);
    if (!orderFile) return false;
    for (int i = 0; i < kCardFolderCount; ++i) {
        const std::string folder = *CardFolderPath(root, i);
        EnsureFolder(folder);
        // In memory only: the card gets the flags with the next full write of the image.
        orderFile.setHasDesigns(i, FolderHasDesigns(folder));
    }
    return true;
}

}  // namespace kx
