// The POSIX backend: a drive table maps Windows drive letters onto host folders,
// and lookups behave like a card's FAT volume (names match without regard to ASCII case).
#pragma once

#include <sys/types.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace kx {

class PosixPlatform : public Platform {
public:
    struct Drive {
        std::string folder;  // host folder; a missing folder is a drive with no media
        DriveType type = DriveType::Fixed;
    };

    // An empty table with Z: = "/" (fixed), so every host path has a Windows name.
    PosixPlatform();

    // The default table on Linux: the mount points of removable block devices as removable
    // drives from E: on, and "/" as Z:.
    void loadSystemDrives();

    void mapDrive(char letter, std::string hostFolder, DriveType type);
    // The host folder tempPath() names instead of $TMPDIR or /tmp.
    void setTempFolder(std::string hostFolder) { tempFolder_ = std::move(hostFolder); }
    void unmapDrive(char letter);
    std::optional<Drive> drive(char letter) const;

    // Windows path → host path, each existing component in its own spelling. Nothing when the
    // path names no mapped drive.
    std::optional<std::string> toHostPath(const std::string& windowsPath) const;
    // Host path → Windows path through the mapping with the longest matching folder.
    std::optional<std::string> toWindowsPath(const std::string& hostPath) const;

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool moveFileReplacing(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    std::vector<FoundFile> find(const std::string& pattern, std::size_t limit) override;

    std::uint32_t logicalDrives() override;
    DriveType driveType(const std::string& root) override;
    bool hasDiskFreeSpaceEx() override { return true; }
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) override;
    bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) override;

    std::string tempPath() override;
    std::uint64_t localFileTime() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::string currentDirectory() override;
    std::string executablePath() override;
    std::string lastError() override;

    // While kept (see KeptFolderListings), each folder is read once and its names answered
    // from memory; the backend's own creates, renames and deletes keep the listings true.
    void keepListings(bool keep);

private:
    // A folder's entries: spelling → type (S_IFREG, S_IFDIR, S_IFLNK...; 0 when the folder did
    // not say), ordered without regard to case, equal names in the folder's own order.
    struct IgnoreCaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Listing = std::multimap<std::string, mode_t, IgnoreCaseLess>;
    struct Entry {
        std::string name;  // its own spelling
        mode_t type = 0;
    };
    // The kept listing of a folder, read at first use; null when the folder cannot be read.
    const Listing* keptListing(const std::string& hostFolder) const;
    // Calls visit(std::string_view name, mode_t type) for a folder's entries but its dot
    // entries until it answers false: from the kept listing while listings are kept, else
    // straight from the folder.
    template <class Visit>
    void visitEntries(const std::string& hostFolder, Visit&& visit) const;
    // The entry of a folder named `name` without regard to ASCII case, exact spelling first.
    std::optional<Entry> lookup(const std::string& hostFolder, const std::string& name) const;
    // What stands at a host path, links not followed (lstat's file type), if anything.
    std::optional<mode_t> typeAt(const std::string& hostPath) const;
    bool isFolder(const std::string& hostPath) const;  // a link to a folder counts
    std::string resolve(const std::string& base, const std::vector<std::string>& parts, std::size_t count) const;
    // Keeps kept listings true after this backend's own change at a host path.
    void noteAdded(const std::string& hostPath, mode_t type);
    void noteRemoved(const std::string& hostPath);
    bool renamed(const std::string& from, const std::string& to, mode_t type);  // ::rename, noted

    // What a command changes at a path: a file, a folder, or whichever stands there (a move).
    enum class Change { File, Folder, Entry };
    // The host path of something a command creates, replaces, moves or deletes; nothing when a
    // link stands between the drive's folder and it, or when something other than a `what`
    // stands there: a change through a link would reach outside the folders it was given.
    std::optional<std::string> hostPathToChange(const std::string& windowsPath, Change what);
    // The host path of a file to read: a link to a regular file is followed, as the user named
    // it, but a FIFO or device is refused before it is opened, so a read never waits on one.
    std::optional<std::string> hostPathToRead(const std::string& windowsPath);
    // Keeps the reason for lastError() and answers nothing.
    std::nullopt_t refuse(std::string reason);

    std::optional<std::string> absoluteWindowsPath(const std::string& path) const;
    std::optional<std::string> mediaFolder(const std::string& root) const;
    const std::string& cwd() const;

    std::array<std::optional<Drive>, 26> drives_;
    // A Windows path with a trailing backslash; the host's at first use.
    mutable std::string currentDirectory_;
    std::string tempFolder_;
    std::string refusal_;  // the reason of this backend's own last refusal, else errno speaks
    int keepDepth_ = 0;
    mutable std::unordered_map<std::string, Listing> kept_;  // by host folder, while kept
};

// For as long as it lives, the backend keeps the folder listings it reads (nested scopes
// share them): for a command that holds the folders it changes (the tool's card lock), so that
// a design costs no lookups. What other processes change in those folders meanwhile goes unseen.
class KeptFolderListings {
public:
    explicit KeptFolderListings(PosixPlatform& backend) : backend_(&backend) { backend.keepListings(true); }
    ~KeptFolderListings() {
        if (backend_) backend_->keepListings(false);
    }
    KeptFolderListings(KeptFolderListings&& other) noexcept : backend_(std::exchange(other.backend_, nullptr)) {}
    KeptFolderListings& operator=(KeptFolderListings&&) = delete;
    KeptFolderListings(const KeptFolderListings&) = delete;
    KeptFolderListings& operator=(const KeptFolderListings&) = delete;

private:
    PosixPlatform* backend_;
};

// The process-wide backend as a PosixPlatform, for the tool and the tests to map drives.
PosixPlatform& nativePosixPlatform();

}  // namespace kx
