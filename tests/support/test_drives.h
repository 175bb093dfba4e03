// Real folders in a fresh temporary directory, mapped as drives of a private POSIX backend
// that is in force for the test's lifetime.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

namespace kx::test {

// A new empty folder PREFIX-XXXXXX in the system's temporary folder.
std::filesystem::path MakeTempFolder(const std::string& prefix);

class TestDrives {
public:
    TestDrives();
    ~TestDrives();
    TestDrives(const TestDrives&) = delete;
    TestDrives& operator=(const TestDrives&) = delete;

    // A new empty folder mapped as a removable drive; returns its root ("E:\").
    std::string addCard(char letter = 'E') { return addDrive(letter, "card-", DriveType::Removable); }
    // A PC folder mapped as a fixed drive with a size; returns its root ("C:\").
    std::string addFixed(char letter = 'C') { return addDrive(letter, "disk-", DriveType::Fixed); }
    // A letter of the given type with no media behind it.
    void addNoMedia(char letter, DriveType type = DriveType::Removable);

    // Host path of a Windows path on a mapped drive.
    std::filesystem::path host(const std::string& windowsPath) const;
    void write(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> read(const std::string& windowsPath) const;
    bool exists(const std::string& windowsPath) const;
    void makeDir(const std::string& windowsPath) const;

    const std::filesystem::path& root() const { return root_; }
    PosixPlatform& backend() { return platform_; }

private:
    std::string addDrive(char letter, const char* kind, DriveType type);

    std::filesystem::path root_;
    PosixPlatform platform_;
    ScopedPlatform scope_;
};

}  // namespace kx::test
