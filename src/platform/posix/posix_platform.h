// The POSIX backend: a drive table maps Windows drive letters onto host folders,
// and lookups behave like a card's FAT volume (names match without regard to ASCII case).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace kx {

class PosixPlatform : public Platform {
public:
    struct Drive {
        std::string folder;  // host folder; a missing folder is a drive with no media
        int type = DRIVE_TYPE_FIXED;
    };

    // An empty table with Z: = "/" (fixed), so every host path has a Windows name.
    PosixPlatform();

    // The default table on Linux: the mount points of removable block devices as removable
    // drives from E: on, and "/" as Z:.
    void loadSystemDrives();

    void mapDrive(char letter, std::string hostFolder, int type);
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
    int driveType(const std::string& root) override;
    bool hasDiskFreeSpaceEx() override { return true; }
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) override;
    bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) override;

    std::string tempPath() override;
    std::uint64_t localFileTime() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::string currentDirectory() override;
    std::string executablePath() override;
    std::string lastError() override;

private:
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
};

// The process-wide backend as a PosixPlatform, for the tool and the tests to map drives.
PosixPlatform& nativePosixPlatform();

}  // namespace kx
