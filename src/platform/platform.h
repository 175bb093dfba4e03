// The operating-system boundary of the portable core: files, folders, drives, clock.
// Paths are 8-bit Windows paths (drive letter, backslashes); each backend translates them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scoped_override.h"

namespace kx {

// Drive types with the values GetDriveTypeA returns.
enum class DriveType : int {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    Cdrom = 5,
    RamDisk = 6,
};

// The CreateFileA combinations the system uses, nothing else.
enum class OpenMode {
    Read,               // GENERIC_READ, OPEN_EXISTING
    Replace,            // GENERIC_WRITE, CREATE_ALWAYS (truncates)
    WriteExisting,      // GENERIC_WRITE, OPEN_EXISTING (no truncation)
    WriteAlways,        // GENERIC_WRITE, OPEN_ALWAYS (created when missing, no truncation)
    ReadWriteAlways,    // GENERIC_READ|GENERIC_WRITE, OPEN_ALWAYS
    CreateNew,          // GENERIC_WRITE and the right to rename, CREATE_NEW (fails when the file
                        // exists): the side file of a whole-file write, renamed by File::renameTo
    Volume,             // "\\.\X:" with both rights, FILE_SHARE_WRITE, OPEN_EXISTING: only for flush()
};

enum class SeekFrom { Begin, End };

// An open file. Destroying it closes the handle.
class File {
public:
    virtual ~File() = default;
    // Bytes read (fewer at the end of the file), or nothing on failure.
    virtual std::optional<std::size_t> read(std::span<std::uint8_t> into) = 0;
    // Bytes written (fewer when the volume is full), or nothing on failure.
    virtual std::optional<std::size_t> write(std::span<const std::uint8_t> from) = 0;
    virtual std::optional<std::uint64_t> size() = 0;
    virtual bool seek(std::int64_t offset, SeekFrom from) = 0;
    virtual bool flush() = 0;
    // Renames a file opened with OpenMode::CreateNew over `path`, in its own folder, replacing
    // a file there in one step (as Platform::moveFileReplacing) without looking the file up by
    // name again. Afterwards the file is only closed.
    virtual bool renameTo(const std::string& path) = 0;

    // Whole-buffer transfers: a short transfer counts as a failure.
    bool readExactly(std::span<std::uint8_t> into);
    bool writeExactly(std::span<const std::uint8_t> from);
};

struct FoundFile {
    std::string name;   // the entry's own spelling
    bool isDirectory = false;
    bool isHidden = false;  // the hidden attribute; POSIX has none
};

// Disk geometry as GetDiskFreeSpaceA reports it.
struct DiskGeometry {
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint32_t freeClusters = 0;
    std::uint32_t totalClusters = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Files. A null result is INVALID_HANDLE_VALUE.
    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;  // overwrites
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    // Renames `from` over `to`, replacing a file there in one step (MOVEFILE_REPLACE_EXISTING).
    virtual bool moveFileReplacing(const std::string& from, const std::string& to) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    virtual bool createDirectory(const std::string& path) = 0;
    // FindFirstFileA/FindNextFileA over a wildcard pattern (* and ?), at most `limit` entries.
    // "folder\*" of an existing folder also yields "." and "..", first, as on Windows. Which
    // entries a limited search returns is the folder's own order; only existence and counts
    // are relied on.
    virtual std::vector<FoundFile> find(const std::string& pattern, std::size_t limit = SIZE_MAX) = 0;

    // Drives.
    virtual std::uint32_t logicalDrives() = 0;
    virtual DriveType driveType(const std::string& root) = 0;
    // GetDiskFreeSpaceExA as looked up at run time: false when the platform lacks it.
    virtual bool hasDiskFreeSpaceEx() = 0;
    virtual bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) = 0;
    virtual bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) = 0;

    // Process.
    virtual std::string tempPath() = 0;                 // ends with a backslash
    virtual std::uint64_t localFileTime() = 0;          // local time, 100 ns since 1601, ms resolution
    virtual bool setCurrentDirectory(const std::string& path) = 0;
    virtual std::string currentDirectory() = 0;         // ends with a backslash
    virtual std::string executablePath() = 0;           // GetModuleFileNameA(NULL)

    // The operating system's reason for the operation that failed last, in its own words
    // ("Read-only file system"). Asked right after the failure, before any other operation.
    virtual std::string lastError() = 0;
};

// The backend of this build (Win32 or POSIX), made on first use.
Platform& nativePlatform();

// The backend in force. Tests swap in a fault-injecting one; the scope restores the previous.
Platform& platform();
void setPlatform(Platform* p);

using ScopedPlatform = ScopedOverride<Platform, platform, setPlatform>;

// Convenience over platform().
bool PathExists(const std::string& pattern);             // a first find succeeds
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

// A whole file is written beside its target under a side-file name and renamed over it, so a
// failure or an interruption never leaves part of a file under the target's name. The side
// file's name is short and fixed in length ("~kx" + the process id and a check value computed
// from it, 8 hex digits each, + ".tmp"), and a later command finds what an interrupted one left
// behind.
std::uint32_t CurrentProcessId();
std::string CopySideFileName();
// True for such a name of any process, without regard to case, and only when its check value
// fits: a file of the user's that merely looks like one is never taken for ours. One that
// outlives its process is the leftover of an interrupted copy.
bool IsCopySideFileName(std::string_view name);
// Deletes the side files that interrupted commands left in `folder` (ending with a backslash);
// the folder's other entries.
std::vector<FoundFile> RemoveCopySideFiles(const std::string& folder);

struct WholeFileWrite {
    enum class Outcome { Written, NotCreated, Incomplete } outcome = Outcome::NotCreated;
    std::string reason;  // the system's words for a failure
    explicit operator bool() const { return outcome == Outcome::Written; }
};
// `bytes` as the whole file at `path`, through a side file in the same folder: made new (one an
// interrupted write of the same process left is deleted first), written, and renamed over
// `path` while still open.
WholeFileWrite WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace kx
