// The Win32 backend: the A-functions with the access, creation and share modes the system uses.
#pragma once

#include "platform/platform.h"

namespace kx {

class Win32Platform : public Platform {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool moveFileReplacing(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    std::vector<FoundFile> find(const std::string& pattern, std::size_t limit) override;

    std::uint32_t logicalDrives() override;
    DriveType driveType(const std::string& root) override;
    bool hasDiskFreeSpaceEx() override;
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) override;
    bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) override;

    std::string tempPath() override;
    std::uint64_t localFileTime() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::string currentDirectory() override;
    std::string executablePath() override;
    std::string lastError() override;
};

}  // namespace kx
