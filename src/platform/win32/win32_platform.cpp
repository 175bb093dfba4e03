// Win32 backend: files, search, drives and the clock through the A-functions.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/win32/win32_handles.h"

namespace kx {

// GetDriveTypeA's answer is handed on as it stands, and the core sizes its path buffers as the
// system does: the portable copies of these values must be the system's own.
constexpr bool SameDriveType(DriveType type, UINT system) { return static_cast<UINT>(type) == system; }
static_assert(SameDriveType(DriveType::Unknown, DRIVE_UNKNOWN) && SameDriveType(DriveType::NoRootDir, DRIVE_NO_ROOT_DIR) &&
              SameDriveType(DriveType::Removable, DRIVE_REMOVABLE) && SameDriveType(DriveType::Fixed, DRIVE_FIXED) &&
              SameDriveType(DriveType::Remote, DRIVE_REMOTE) && SameDriveType(DriveType::Cdrom, DRIVE_CDROM) &&
              SameDriveType(DriveType::RamDisk, DRIVE_RAMDISK));
static_assert(kMaxPath == MAX_PATH);

namespace {

// Largest single ReadFile/WriteFile transfer: the count is a DWORD.
constexpr std::size_t kMaxTransfer = 0x40000000;

// A path with an embedded NUL would name another file than the caller meant.
bool IsUsablePath(const std::string& path) { return path.find('\0') == std::string::npos; }

// The text of a fixed char buffer up to its NUL, never past its end.
std::string FromBuffer(const char* buffer, std::size_t capacity) {
    return std::string(buffer, strnlen(buffer, capacity));
}

// A folder the system writes into a MAX_PATH buffer (GetTempPathA, GetCurrentDirectoryA), with a
// trailing backslash; empty when the call fails or the folder would not fit.
std::string SystemFolder(DWORD(WINAPI* query)(DWORD, LPSTR)) {
    char buffer[MAX_PATH] = {};
    DWORD n = query(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return {};
    return WithTrailingBackslash(FromBuffer(buffer, sizeof buffer));
}

struct CreateArgs {
    DWORD access;
    DWORD share;
    DWORD creation;
};

CreateArgs ArgsFor(OpenMode mode) {
    switch (mode) {
        case OpenMode::Read: return {GENERIC_READ, 0, OPEN_EXISTING};
        case OpenMode::Replace: return {GENERIC_WRITE, 0, CREATE_ALWAYS};
        case OpenMode::WriteExisting: return {GENERIC_WRITE, 0, OPEN_EXISTING};
        case OpenMode::WriteAlways: return {GENERIC_WRITE, 0, OPEN_ALWAYS};
        case OpenMode::ReadWriteAlways: return {GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS};
        case OpenMode::CreateNew: return {GENERIC_WRITE | DELETE, 0, CREATE_NEW};
        case OpenMode::Volume: return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING};
    }
    return {GENERIC_READ, 0, OPEN_EXISTING};
}

using SetFileInformationByHandleFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Looked up by name: systems before Vista lack it, and the rename falls back to MoveFileExA.
SetFileInformationByHandleFn LookUpSetFileInformationByHandle() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "SetFileInformationByHandle") : nullptr;
    return reinterpret_cast<SetFileInformationByHandleFn>(reinterpret_cast<void (*)()>(proc));
}

// FILE_RENAME_INFO with room for `target` in UTF-16 (through the ANSI code page), or nothing
// when the name does not convert.
std::optional<std::vector<std::uint8_t>> RenameInfoFor(const std::string& target) {
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, target.c_str(), -1, nullptr, 0);
    if (units <= 0) return std::nullopt;
    std::vector<std::uint8_t> buffer(offsetof(FILE_RENAME_INFO, FileName) + static_cast<std::size_t>(units) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>((units - 1) * sizeof(WCHAR));  // without the NUL
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, target.c_str(), -1, info->FileName, units) != units)
        return std::nullopt;
    return buffer;
}

class Win32File : public File {
public:
    Win32File(FileHandle handle, std::string path) : handle_(std::move(handle)), path_(std::move(path)) {}

    std::optional<std::size_t> read(std::span<std::uint8_t> into) override {
        std::size_t total = 0;
        while (total < into.size()) {
            DWORD want = static_cast<DWORD>(std::min(into.size() - total, kMaxTransfer));
            DWORD got = 0;
            if (!ReadFile(handle_.get(), into.data() + total, want, &got, nullptr)) return std::nullopt;
            total += got;
            if (got < want) break;  // end of file
        }
        return total;
    }

    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        std::size_t total = 0;
        while (total < from.size()) {
            DWORD want = static_cast<DWORD>(std::min(from.size() - total, kMaxTransfer));
            DWORD put = 0;
            if (!WriteFile(handle_.get(), from.data() + total, want, &put, nullptr)) {
                if (total == 0) return std::nullopt;
                break;
            }
            total += put;
            if (put < want) break;  // the volume is full
        }
        return total;
    }

    std::optional<std::uint64_t> size() override {
        DWORD high = 0;
        DWORD low = GetFileSize(handle_.get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
        return (static_cast<std::uint64_t>(high) << 32) | low;
    }

    bool seek(std::int64_t offset, SeekFrom from) override {
        LONG high = static_cast<LONG>(offset >> 32);
        DWORD method = from == SeekFrom::Begin ? FILE_BEGIN : FILE_END;
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_.get(), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
        return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    }

    bool flush() override { return FlushFileBuffers(handle_.get()) != 0; }

    // Through the handle, which needs no search of the folder for the side file. Where the
    // system lacks that or refuses the name's form, closed and renamed by name.
    bool renameTo(const std::string& path) override {
        if (!IsUsablePath(path)) return false;
        SetFileInformationByHandleFn setInformation = LookUpSetFileInformationByHandle();
        auto info = setInformation ? RenameInfoFor(path) : std::nullopt;
        if (info && setInformation(handle_.get(), FileRenameInfo, info->data(), static_cast<DWORD>(info->size())))
            return true;
        handle_ = FileHandle();
        return MoveFileExA(path_.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

private:
    FileHandle handle_;
    std::string path_;
};

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Looked up by name each time: older systems lack it and callers fall back.
GetDiskFreeSpaceExFn LookUpGetDiskFreeSpaceEx() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return nullptr;
    FARPROC proc = GetProcAddress(kernel, "GetDiskFreeSpaceExA");
    // Through the generic function pointer type, which converts to any other without a warning.
    return reinterpret_cast<GetDiskFreeSpaceExFn>(reinterpret_cast<void (*)()>(proc));
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

namespace {

FileHandle CreateHandle(const std::string& path, CreateArgs args) {
    if (!IsUsablePath(path)) return FileHandle();
    return FileHandle(
        CreateFileA(path.c_str(), args.access, args.share, nullptr, args.creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A file on a disk, or nothing. A device (a serial port, the console, NUL, a pipe) is never
// taken for a file: a name Windows gives to one is refused before anything opens it, and what
// CreateFileA hands back is checked before the first read or write, as the POSIX backend does.
FileHandle OpenDiskFile(const std::string& path, CreateArgs args) {
    if (NamesWindowsDevice(path)) {
        SetLastError(ERROR_INVALID_NAME);
        return FileHandle();
    }
    FileHandle handle = CreateHandle(path, args);
    if (handle && GetFileType(handle.get()) != FILE_TYPE_DISK) {
        handle = FileHandle();
        SetLastError(ERROR_INVALID_NAME);
    }
    return handle;
}

}  // namespace

std::unique_ptr<File> Win32Platform::open(const std::string& path, OpenMode mode) {
    // Only the flush opens a volume, by its device name.
    FileHandle handle = mode == OpenMode::Volume ? CreateHandle(path, ArgsFor(mode)) : OpenDiskFile(path, ArgsFor(mode));
    if (!handle) return nullptr;
    return std::make_unique<Win32File>(std::move(handle), path);
}

bool Win32Platform::copyFile(const std::string& from, const std::string& to) {
    // Both ends are files on a disk: the source is looked at and closed before the copy, and so is
    // the target when there is one (opened for no access, which changes nothing).
    if (!OpenDiskFile(from, {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING})) return false;
    if (!OpenDiskFile(to, {0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING}) &&
        GetLastError() == ERROR_INVALID_NAME)
        return false;
    return IsUsablePath(to) && CopyFileA(from.c_str(), to.c_str(), FALSE);
}

bool Win32Platform::moveFile(const std::string& from, const std::string& to) {
    return IsUsablePath(from) && IsUsablePath(to) && MoveFileA(from.c_str(), to.c_str());
}

bool Win32Platform::moveFileReplacing(const std::string& from, const std::string& to) {
    return IsUsablePath(from) && IsUsablePath(to) && MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool Win32Platform::deleteFile(const std::string& path) {
    return IsUsablePath(path) && DeleteFileA(path.c_str());
}

bool Win32Platform::createDirectory(const std::string& path) {
    if (!IsUsablePath(path)) return false;
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

std::vector<FoundFile> Win32Platform::find(const std::string& pattern, std::size_t limit) {
    std::vector<FoundFile> found;
    if (limit == 0 || !IsUsablePath(pattern)) return found;
    WIN32_FIND_DATAA data{};
    FindHandle search(FindFirstFileA(pattern.c_str(), &data));
    if (!search) return found;
    do {
        found.push_back({FromBuffer(data.cFileName, sizeof data.cFileName),
                         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
    } while (found.size() < limit && FindNextFileA(search.get(), &data));
    return found;
}

std::uint32_t Win32Platform::logicalDrives() { return GetLogicalDrives(); }

DriveType Win32Platform::driveType(const std::string& root) {
    if (!IsUsablePath(root)) return DriveType::NoRootDir;
    return static_cast<DriveType>(GetDriveTypeA(root.c_str()));
}

bool Win32Platform::hasDiskFreeSpaceEx() { return LookUpGetDiskFreeSpaceEx() != nullptr; }

bool Win32Platform::diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) {
    GetDiskFreeSpaceExFn query = LookUpGetDiskFreeSpaceEx();
    if (!query || !IsUsablePath(root)) return false;
    ULARGE_INTEGER available{}, total{}, free{};
    if (!query(root.c_str(), &available, &total, &free)) return false;
    totalBytes = total.QuadPart;
    return true;
}

bool Win32Platform::diskFreeSpace(const std::string& root, DiskGeometry& geometry) {
    if (!IsUsablePath(root)) return false;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return false;
    geometry = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
    return true;
}

std::string Win32Platform::tempPath() { return SystemFolder(GetTempPathA); }

std::uint64_t Win32Platform::localFileTime() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME fileTime{};
    if (!SystemTimeToFileTime(&local, &fileTime)) return 0;
    return (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

bool Win32Platform::setCurrentDirectory(const std::string& path) {
    return IsUsablePath(path) && SetCurrentDirectoryA(path.c_str());
}

std::string Win32Platform::currentDirectory() { return SystemFolder(GetCurrentDirectoryA); }

std::string Win32Platform::executablePath() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    // A cut-off path may lack its NUL on older systems: the count bounds it.
    return std::string(buffer, std::min<DWORD>(n, MAX_PATH));
}

std::string Win32Platform::lastError() {
    DWORD code = GetLastError();
    char buffer[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             sizeof buffer, nullptr);
    std::string text = FromBuffer(buffer, std::min<std::size_t>(n, sizeof buffer));
    // The system's text ends with a full stop and a line break; the caller puts it in a line.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "Error " + std::to_string(code) : text;
}

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

// The process's ANSI code page (932 has lead bytes, 1252 none; a UTF-8 one answers none, which
// steps its characters right too).
CodePage NativeCodePage() {
    std::bitset<256> leadBytes;
    for (unsigned b = 0x80; b < 256; ++b) leadBytes[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
    return CodePage(leadBytes);
}

namespace {
// Made at load without a guard, as the message sink is (win32_messages.cpp).
constinit Win32Platform g_platform;
}  // namespace

Platform& nativePlatform() { return g_platform; }

}  // namespace kx
