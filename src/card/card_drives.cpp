// Drive listing, media test and volume flush over the platform's drive services.
#include "card/card_drives.h"

#include <cstdint>

#include "platform/platform.h"

namespace kx {

namespace {

constexpr const char* kCardInsertedQuestion =
    "Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?";

constexpr int kFirstDriveNumber = 1;  // drive 0, A:, is never looked at
constexpr int kLastDriveNumber = 31;

std::string RootOf(int driveNumber) { return std::string(1, static_cast<char>('A' + driveNumber)) + ":\\"; }

// Computed in 64 bits: a 4 GiB card's product would wrap to zero in 32.
std::uint64_t Capacity(const DiskGeometry& g) {
    return std::uint64_t{g.totalClusters} * g.bytesPerSector * g.sectorsPerCluster;
}

// The outputs start cleared and the call's result is not looked at, so a failed query (a drive
// without media) reads as zero.
std::uint64_t TotalSize(Platform& p, const std::string& root) {
    if (p.hasDiskFreeSpaceEx()) {
        std::uint64_t totalBytes = 0;
        p.diskFreeSpaceEx(root, totalBytes);
        return totalBytes;
    }
    DiskGeometry geometry{};
    p.diskFreeSpace(root, geometry);
    return Capacity(geometry);
}

}  // namespace

std::string CardDriveList::joined() const {
    std::string out;
    for (const auto& root : roots) {
        if (!out.empty()) out += ',';
        out += root;
    }
    return out;
}

CardDriveList ListCardDrives() {
    Platform& p = platform();
    CardDriveList list;
    const std::uint32_t present = p.logicalDrives();
    for (int n = kFirstDriveNumber; n <= kLastDriveNumber; ++n) {
        if (!(present & (std::uint32_t{1} << n))) continue;
        const std::string root = RootOf(n);
        const DriveType type = p.driveType(root);
        if (type != DriveType::Removable && type != DriveType::Fixed) continue;
        // Read for both kinds; only a fixed drive's listing depends on it.
        const bool sizeIsZero = TotalSize(p, root) == 0;
        if (type == DriveType::Removable) {
            if (list.firstRemovable == -1) list.firstRemovable = static_cast<int>(list.roots.size());
        } else if (!sizeIsZero) {
            continue;
        }
        list.roots.push_back(root);
    }
    return list;
}

bool DriveHasMedia(const std::string& root) {
    DiskGeometry geometry{};
    platform().diskFreeSpace(root, geometry);
    return Capacity(geometry) != 0;
}

int AskForCard(WindowRef owner) {
    return ShowMessage(owner,
                       std::string(kCardInsertedQuestion) + "\nIs the Card adapter connected to your PC correctly?",
                       "Confirm", mb::OKCANCEL | mb::ICONQUESTION);
}

bool CheckCardReady(WindowRef owner, const std::string& root) {
    if (root.empty()) return false;
    if (DriveHasMedia(root)) return true;
    ShowMessage(owner, std::string("Failed to save a design.\n") + kCardInsertedQuestion, "SnapPort",
                mb::OK | mb::ICONHAND);
    return false;
}

void FlushVolume(char driveLetter) {
    const std::string volume = std::string("\\\\.\\") + driveLetter + ":";
    if (auto handle = platform().open(volume, OpenMode::Volume)) handle->flush();
}

}  // namespace kx
