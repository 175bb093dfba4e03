// A Platform decorator that makes file operations fail on purpose: the k-th operation, every
// write to a read-only drive, or writes past a byte budget as on a full card.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kx::test {

class FaultPlatform : public Platform {
public:
    // Wraps `inner` and puts itself in force until destroyed.
    explicit FaultPlatform(Platform& inner) : inner_(inner), scope_(*this) {}
    FaultPlatform(const FaultPlatform&) = delete;
    FaultPlatform& operator=(const FaultPlatform&) = delete;

    // Counted operations: open, copyFile, moveFile, moveFileReplacing, deleteFile,
    // createDirectory, File::read, File::write and File::renameTo (counted as a rename). The k-th (from 1) of them fails; 0 switches this off.
    void failOperation(int k) { failAt_ = k; }
    int operationCount() const { return count_; }
    // Volumes flushed through an open of "\\.\X:": the letters, in order.
    const std::string& flushedVolumes() const { return flushed_; }
    void noteFlush(char letter) { flushed_ += letter; }
    // What the failed operation was ("delete E:\\x.kxd"), empty while none failed.
    const std::string& failedOperation() const { return failedWhat_; }

    // Everything that would change the drive fails: a write-protected card.
    void setReadOnly(char driveLetter) { readOnly_ = Upper(driveLetter); }
    // After `bytes` more bytes written to the drive, writes come up short as on a full card.
    void setWriteBudget(char driveLetter, std::uint64_t bytes) {
        budgetDrive_ = Upper(driveLetter);
        budget_ = bytes;
    }

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool copyFile(const std::string& from, const std::string& to) override {
        return !fails("copy " + from + " " + to, to) && inner_.copyFile(from, to);
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        return !fails("move " + from + " " + to, from) && !isReadOnly(to) && inner_.moveFile(from, to);
    }
    bool moveFileReplacing(const std::string& from, const std::string& to) override {
        return !renameFails(from, to) && inner_.moveFileReplacing(from, to);
    }
    bool deleteFile(const std::string& path) override { return !fails("delete " + path, path) && inner_.deleteFile(path); }
    bool createDirectory(const std::string& path) override {
        return !fails("mkdir " + path, path) && inner_.createDirectory(path);
    }
    std::vector<FoundFile> find(const std::string& pattern, std::size_t limit) override { return inner_.find(pattern, limit); }

    std::uint32_t logicalDrives() override { return inner_.logicalDrives(); }
    DriveType driveType(const std::string& root) override { return inner_.driveType(root); }
    bool hasDiskFreeSpaceEx() override { return inner_.hasDiskFreeSpaceEx(); }
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& total) override { return inner_.diskFreeSpaceEx(root, total); }
    bool diskFreeSpace(const std::string& root, DiskGeometry& g) override { return inner_.diskFreeSpace(root, g); }
    std::string tempPath() override { return inner_.tempPath(); }
    std::uint64_t localFileTime() override { return inner_.localFileTime(); }
    bool setCurrentDirectory(const std::string& path) override { return inner_.setCurrentDirectory(path); }
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    std::string executablePath() override { return inner_.executablePath(); }
    // The fault's own words for a failure it made, else the backend's.
    std::string lastError() override { return ownError_ ? ownError_ : inner_.lastError(); }

    // Used by the files it opens.
    bool renameFails(const std::string& from, const std::string& to) {
        return fails("rename " + from + " " + to, from) || isReadOnly(to);
    }
    bool nextOperationFails(const std::string& what);
    // Bytes of `wanted` that still fit on the file's drive; takes them from the budget.
    // Keeps "No space left on device" as the reason when they do not all fit.
    std::size_t takeBudget(char driveLetter, std::size_t wanted);

private:
    static char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
    char driveOf(const std::string& path);
    bool isReadOnly(const std::string& path);
    // The counted operation `what` fails, or it would change `path` on a read-only drive.
    bool fails(const std::string& what, const std::string& path) { return nextOperationFails(what) || isReadOnly(path); }

    Platform& inner_;
    ScopedPlatform scope_;
    int failAt_ = 0;
    int count_ = 0;
    char readOnly_ = 0;
    char budgetDrive_ = 0;
    std::uint64_t budget_ = 0;
    std::string flushed_;
    std::string failedWhat_;
    const char* ownError_ = nullptr;
};

}  // namespace kx::test
