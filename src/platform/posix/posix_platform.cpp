// POSIX backend: Windows paths through the drive table onto host files.
#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/code_page.h"
#include "platform/paths.h"

namespace kx {

namespace {

// An owned descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = o.release();
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

class PosixFile : public File {
public:
    PosixFile(Fd fd, bool isVolume) : fd_(std::move(fd)), isVolume_(isVolume) {}

    std::optional<std::size_t> read(std::span<std::uint8_t> into) override {
        if (isVolume_) return std::nullopt;
        std::size_t total = 0;
        while (total < into.size()) {
            ssize_t n = ::read(fd_.get(), into.data() + total, into.size() - total);
            if (n < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            if (n == 0) break;
            total += static_cast<std::size_t>(n);
        }
        return total;
    }

    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        if (isVolume_) return std::nullopt;
        std::size_t total = 0;
        while (total < from.size()) {
            ssize_t n = ::write(fd_.get(), from.data() + total, from.size() - total);
            if (n < 0) {
                if (errno == EINTR) continue;
                // A full volume after some bytes is a short write, as WriteFile reports it.
                if (errno == ENOSPC && total > 0) break;
                return std::nullopt;
            }
            if (n == 0) break;
            total += static_cast<std::size_t>(n);
        }
        return total;
    }

    std::optional<std::uint64_t> size() override {
        struct stat st {};
        if (isVolume_ || ::fstat(fd_.get(), &st) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(st.st_size);
    }

    bool seek(std::int64_t offset, SeekFrom from) override {
        if (isVolume_) return false;
        return ::lseek(fd_.get(), offset, from == SeekFrom::Begin ? SEEK_SET : SEEK_END) >= 0;
    }

    bool flush() override { return isVolume_ ? ::syncfs(fd_.get()) == 0 : ::fsync(fd_.get()) == 0; }

private:
    Fd fd_;
    bool isVolume_;
};

bool IsDirectory(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& hostPath) {
    struct stat st {};
    return ::lstat(hostPath.c_str(), &st) == 0;
}

std::string UnescapeMountField(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            auto oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && std::all_of(oct.begin(), oct.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(oct, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The file type a folder's entry names; 0 when the folder does not say.
mode_t EntryType(unsigned char dtype) {
    switch (dtype) {
        case DT_REG: return S_IFREG;
        case DT_DIR: return S_IFDIR;
        case DT_LNK: return S_IFLNK;
        case DT_FIFO: return S_IFIFO;
        case DT_SOCK: return S_IFSOCK;
        case DT_CHR: return S_IFCHR;
        case DT_BLK: return S_IFBLK;
        default: return 0;
    }
}

// A host path split at its last separator: the folder ("/" for the root's entries) and the name.
std::pair<std::string, std::string> SplitHostPath(const std::string& hostPath) {
    std::size_t slash = hostPath.rfind('/');
    if (slash == std::string::npos) return {".", hostPath};
    return {slash == 0 ? "/" : hostPath.substr(0, slash), hostPath.substr(slash + 1)};
}

// The words for what stands at a path instead of a regular file; null for a regular file.
const char* NotAFileReason(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return std::strerror(EISDIR);
    if (S_ISLNK(mode)) return "Is a link";
    if (S_ISFIFO(mode)) return "Is a FIFO";
    if (S_ISSOCK(mode)) return "Is a socket";
    return "Is a device";
}

// Cleanup after a failure keeps the failure's errno for lastError().
class KeepErrno {
public:
    ~KeepErrno() { errno = saved_; }

private:
    int saved_ = errno;
};

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return (letter >= 'A' && letter <= 'Z') ? letter - 'A' : -1;
}

}  // namespace

PosixPlatform::PosixPlatform() { mapDrive('Z', "/", DriveType::Fixed); }

bool PosixPlatform::IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
        return lower(x) < lower(y);
    });
}

void PosixPlatform::keepListings(bool keep) {
    keepDepth_ += keep ? 1 : -1;
    if (keepDepth_ == 0) kept_.clear();
}

namespace {

// Calls visit(name, type) for a folder's entries but its dot entries, in the folder's order,
// until it answers false; false when the folder cannot be read.
template <class Visit>
bool ReadFolder(const std::string& hostFolder, Visit&& visit) {
    DIR* d = ::opendir(hostFolder.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != ".." && !visit(name, EntryType(e->d_type))) break;
    }
    ::closedir(d);
    return true;
}

}  // namespace

const PosixPlatform::Listing* PosixPlatform::keptListing(const std::string& hostFolder) const {
    auto found = kept_.find(hostFolder);
    if (found != kept_.end()) return &found->second;
    Listing read;
    auto keep = [&](std::string_view name, mode_t type) {
        read.emplace(std::string(name), type);
        return true;
    };
    // A folder that could not be read is not kept: it may be made later.
    if (!ReadFolder(hostFolder, keep)) return nullptr;
    return &(kept_[hostFolder] = std::move(read));
}

template <class Visit>
void PosixPlatform::visitEntries(const std::string& hostFolder, Visit&& visit) const {
    // Without kept listings a search reads only as far as it needs.
    if (keepDepth_ == 0) return void(ReadFolder(hostFolder, visit));
    if (const Listing* entries = keptListing(hostFolder))
        for (const auto& [name, type] : *entries)
            if (!visit(std::string_view(name), type)) return;
}

std::optional<PosixPlatform::Entry> PosixPlatform::lookup(const std::string& hostFolder, const std::string& name) const {
    if (name == "." || name == "..") return Entry{name, S_IFDIR};
    if (keepDepth_ > 0) {
        const Listing* entries = keptListing(hostFolder);
        if (!entries) return std::nullopt;
        auto [first, last] = entries->equal_range(name);
        if (first == last) return std::nullopt;
        auto exact = std::find_if(first, last, [&](const auto& e) { return e.first == name; });
        return exact != last ? Entry{exact->first, exact->second} : Entry{first->first, first->second};
    }
    struct stat st {};  // the usual case, an exact name, costs one lstat instead of a listing
    if (::lstat((hostFolder + "/" + name).c_str(), &st) == 0) return Entry{name, st.st_mode & S_IFMT};
    std::optional<Entry> found;
    ReadFolder(hostFolder, [&](std::string_view entry, mode_t type) {
        if (EqualsIgnoreCase(entry, name)) found = Entry{std::string(entry), type};
        return !found;
    });
    return found;
}

std::optional<mode_t> PosixPlatform::typeAt(const std::string& hostPath) const {
    struct stat st {};
    auto [folder, name] = SplitHostPath(hostPath);
    if (keepDepth_ > 0 && !name.empty()) {
        auto entry = lookup(folder, name);
        if (!entry || entry->name != name) return std::nullopt;
        if (entry->type != 0) return entry->type;
    }
    if (::lstat(hostPath.c_str(), &st) != 0) return std::nullopt;
    return st.st_mode & S_IFMT;
}

bool PosixPlatform::isFolder(const std::string& hostPath) const {
    auto type = typeAt(hostPath);
    return type && (*type == S_IFDIR || (*type == S_IFLNK && IsDirectory(hostPath)));
}

void PosixPlatform::noteAdded(const std::string& hostPath, mode_t type) {
    auto [folder, name] = SplitHostPath(hostPath);
    auto found = kept_.find(folder);
    if (found == kept_.end()) return;
    auto [first, last] = found->second.equal_range(name);
    for (auto e = first; e != last; ++e)
        if (e->first == name) return void(e->second = type);
    found->second.emplace(name, type);
}

void PosixPlatform::noteRemoved(const std::string& hostPath) {
    auto [folder, name] = SplitHostPath(hostPath);
    // A folder removed or moved away takes its listing, and those of its folders, along.
    std::erase_if(kept_, [&](const auto& kept) {
        return kept.first.compare(0, hostPath.size(), hostPath) == 0 &&
               (kept.first.size() == hostPath.size() || kept.first[hostPath.size()] == '/');
    });
    auto found = kept_.find(folder);
    if (found == kept_.end()) return;
    auto [first, last] = found->second.equal_range(name);
    for (auto e = first; e != last; ++e)
        if (e->first == name) return void(found->second.erase(e));
}

// `base` joined with the first `count` parts, each in its existing spelling. Without kept
// listings the exact path is tried first (one lstat, the usual case); otherwise, and for a path
// that does not exist as spelled, the parent is resolved the same way and the last part looked
// up without regard to case.
std::string PosixPlatform::resolve(const std::string& base, const std::vector<std::string>& parts, std::size_t count) const {
    if (count == 0) return base;
    if (keepDepth_ == 0) {
        std::string exact = base;
        for (std::size_t i = 0; i < count; ++i) exact += "/" + parts[i];
        if (Exists(exact)) return exact;
    }
    std::string parent = resolve(base, parts, count - 1);
    auto found = lookup(parent.empty() ? "/" : parent, parts[count - 1]);
    return parent + "/" + (found ? found->name : parts[count - 1]);
}

void PosixPlatform::loadSystemDrives() {
    std::vector<std::string> removableDevices;
    if (DIR* d = ::opendir("/sys/block")) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::ifstream flag("/sys/block/" + name + "/removable");
            int removable = 0;
            if (flag >> removable && removable == 1) removableDevices.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(removableDevices.begin(), removableDevices.end());
    std::ifstream mounts("/proc/mounts");
    std::string line;
    std::vector<std::string> mountPoints;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        for (const auto& dev : removableDevices) {
            std::string prefix = "/dev/" + dev;
            if (device.compare(0, prefix.size(), prefix) == 0) {
                mountPoints.push_back(UnescapeMountField(mountPoint));
                break;
            }
        }
    }
    char letter = 'E';
    for (const auto& mp : mountPoints) {
        if (letter >= 'Z') break;
        mapDrive(letter++, mp, DriveType::Removable);
    }
}

void PosixPlatform::mapDrive(char letter, std::string hostFolder, DriveType type) {
    int i = DriveIndex(letter);
    if (i < 0) return;
    while (hostFolder.size() > 1 && hostFolder.back() == '/') hostFolder.pop_back();
    drives_[i] = Drive{std::move(hostFolder), type};
}

void PosixPlatform::unmapDrive(char letter) {
    int i = DriveIndex(letter);
    if (i >= 0) drives_[i].reset();
}

std::optional<PosixPlatform::Drive> PosixPlatform::drive(char letter) const {
    int i = DriveIndex(letter);
    if (i < 0) return std::nullopt;
    return drives_[i];
}

const std::string& PosixPlatform::cwd() const {
    if (currentDirectory_.empty()) {
        char buf[4096];
        if (::getcwd(buf, sizeof buf)) {
            auto win = toWindowsPath(buf);
            if (win) currentDirectory_ = WithTrailingBackslash(*win);
        }
    }
    return currentDirectory_;
}

std::optional<std::string> PosixPlatform::absoluteWindowsPath(const std::string& path) const {
    if (path.size() >= 2 && path[1] == ':') return path;
    const std::string& cwd = this->cwd();
    if (cwd.empty()) return std::nullopt;
    if (!path.empty() && IsPathSeparator(path[0])) return cwd.substr(0, 2) + path;
    return cwd + path;
}

std::optional<std::string> PosixPlatform::toHostPath(const std::string& windowsPath) const {
    auto abs = absoluteWindowsPath(windowsPath);
    if (!abs) return std::nullopt;
    auto d = drive((*abs)[0]);
    if (!d) return std::nullopt;
    // Components: empty and "." vanish, ".." climbs but never above the drive's root.
    std::vector<std::string> parts;
    std::string current;
    auto flushPart = [&] {
        if (current.empty() || current == ".") {
        } else if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(current);
        }
        current.clear();
    };
    const std::string_view rest = std::string_view(*abs).substr(2);
    ForEachCharacter(rest, [&](std::size_t at, std::size_t length) {
        if (length == 1 && IsPathSeparator(rest[at])) flushPart();
        else current += rest.substr(at, length);
        return true;
    });
    flushPart();
    std::string host = resolve(d->folder == "/" ? "" : d->folder, parts, parts.size());
    return host.empty() ? std::string("/") : host;
}

std::optional<std::string> PosixPlatform::toWindowsPath(const std::string& hostPath) const {
    std::string abs = hostPath;
    if (abs.empty() || abs[0] != '/') {
        char buf[4096];
        if (!::getcwd(buf, sizeof buf)) return std::nullopt;
        abs = std::string(buf) + "/" + hostPath;
    }
    int best = -1;
    std::size_t bestLen = 0;
    for (int i = 0; i < 26; ++i) {
        if (!drives_[i]) continue;
        const std::string& f = drives_[i]->folder;
        bool covers = f == "/" || (abs.compare(0, f.size(), f) == 0 && (abs.size() == f.size() || abs[f.size()] == '/'));
        std::size_t len = f == "/" ? 0 : f.size();
        if (covers && (best < 0 || len > bestLen)) {
            best = i;
            bestLen = len;
        }
    }
    if (best < 0) return std::nullopt;
    const std::string_view rest = std::string_view(abs).substr(bestLen);
    std::string out = std::string(1, static_cast<char>('A' + best)) + ":";
    // Doubled separators (a trailing "/" or "//") become one.
    bool afterSeparator = false;
    ForEachCharacter(rest, [&](std::size_t at, std::size_t length) {
        const bool separator = length == 1 && rest[at] == '/';
        if (!(separator && afterSeparator)) out += separator ? std::string_view("\\") : rest.substr(at, length);
        afterSeparator = separator;
        return true;
    });
    if (out.size() == 2) out += '\\';
    return out;
}

std::optional<std::string> PosixPlatform::mediaFolder(const std::string& root) const {
    if (root.empty()) return std::nullopt;
    auto d = drive(root[0]);
    if (!d || !IsDirectory(d->folder)) return std::nullopt;
    return d->folder;
}

std::nullopt_t PosixPlatform::refuse(std::string reason) {
    refusal_ = std::move(reason);
    return std::nullopt;
}

std::optional<std::string> PosixPlatform::hostPathToChange(const std::string& windowsPath, Change what) {
    auto abs = absoluteWindowsPath(windowsPath);
    auto d = abs ? drive((*abs)[0]) : std::nullopt;
    auto host = abs ? toHostPath(*abs) : std::nullopt;
    if (!d || !host) return refuse("No such drive");
    const std::string base = d->folder == "/" ? std::string() : d->folder;
    for (std::size_t end = host->find('/', base.size() + 1);; end = host->find('/', end + 1)) {
        const bool last = end == std::string::npos;
        std::string prefix = host->substr(0, end);
        auto type = typeAt(prefix);
        if (!type) break;  // nothing below a missing entry exists
        if (S_ISLNK(*type))
            return refuse(last ? "Is a link" : "A link stands in its path: " + prefix.substr(prefix.rfind('/') + 1));
        if (last) {
            if (what == Change::File && !S_ISREG(*type)) return refuse(NotAFileReason(*type));
            if (what == Change::Folder && !S_ISDIR(*type)) return refuse(std::strerror(EEXIST));
            break;
        }
    }
    return host;
}

std::optional<std::string> PosixPlatform::hostPathToRead(const std::string& windowsPath) {
    auto host = toHostPath(windowsPath);
    if (!host) return refuse("No such drive");
    auto type = typeAt(*host);
    struct stat st {};
    if (!type || *type != S_IFREG) {  // a link is followed
        if (::stat(host->c_str(), &st) != 0) return std::nullopt;
        type = st.st_mode & S_IFMT;
    }
    if (const char* reason = NotAFileReason(*type)) return refuse(reason);
    return host;
}

std::unique_ptr<File> PosixPlatform::open(const std::string& path, OpenMode mode) {
    refusal_.clear();
    if (mode == OpenMode::Volume) {
        // "\\.\X:": the drive's folder stands for its volume.
        if (path.size() != 6 || path.compare(0, 4, "\\\\.\\") != 0 || path[5] != ':') return nullptr;
        auto folder = mediaFolder(std::string(1, path[4]) + ":\\");
        if (!folder) return nullptr;
        Fd fd(::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd) return nullptr;
        return std::make_unique<PosixFile>(std::move(fd), true);
    }
    // A write never follows a link at the file itself. Every open is non-blocking until the
    // file is known to be a regular one, so that a FIFO swapped in after the check cannot
    // hold it.
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW;
    switch (mode) {
        case OpenMode::Read: flags = O_CLOEXEC | O_NONBLOCK | O_RDONLY; break;
        case OpenMode::Replace: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case OpenMode::WriteExisting: flags |= O_WRONLY; break;
        case OpenMode::WriteAlways: flags |= O_WRONLY | O_CREAT; break;
        case OpenMode::ReadWriteAlways: flags |= O_RDWR | O_CREAT; break;
        case OpenMode::Volume: return nullptr;
    }
    auto host = mode == OpenMode::Read ? hostPathToRead(path) : hostPathToChange(path, Change::File);
    if (!host) return nullptr;
    Fd fd(::open(host->c_str(), flags, 0666));
    if (!fd) return nullptr;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return nullptr;
    if (const char* reason = NotAFileReason(st.st_mode)) {
        refuse(reason);
        return nullptr;
    }
    if (flags & O_CREAT) noteAdded(*host, S_IFREG);
    // F_SETFL sets only the status flags, and of those only O_NONBLOCK was given: one call clears it.
    ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<PosixFile>(std::move(fd), false);
}

bool PosixPlatform::copyFile(const std::string& from, const std::string& to) {
    refusal_.clear();
    auto src = hostPathToRead(from);
    auto dst = src ? hostPathToChange(to, Change::File) : std::nullopt;
    if (!dst) return false;
    Fd in(::open(src->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!in) return false;
    // Written beside the target and renamed over it: a failed copy never leaves a part.
    std::string side = dst->substr(0, dst->rfind('/') + 1) + CopySideFileName();
    Fd out(::open(side.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!out) return false;
    std::vector<char> buf(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in.get(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n && ok;) {
            ssize_t w = ::write(out.get(), buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) ok = false;
            else done += w;
        }
        if (!ok) break;
    }
    if (::close(out.release()) != 0) ok = false;
    if (ok && ::rename(side.c_str(), dst->c_str()) != 0) ok = false;
    if (!ok) {
        KeepErrno keep;
        ::unlink(side.c_str());
    }
    if (ok) noteAdded(*dst, S_IFREG);
    return ok;
}

bool PosixPlatform::moveFile(const std::string& from, const std::string& to) {
    refusal_.clear();
    auto src = hostPathToChange(from, Change::Entry);
    auto dst = src ? hostPathToChange(to, Change::Entry) : std::nullopt;
    if (!dst) return false;
    auto type = typeAt(*src);
    if (!type) {
        errno = ENOENT;
        return false;
    }
    // MoveFileA never replaces; a new spelling of the same name is a rename all the same.
    if (typeAt(*dst) && !EqualsIgnoreCase(*src, *dst)) {
        errno = EEXIST;
        return false;
    }
    return renamed(*src, *dst, *type);
}

bool PosixPlatform::renamed(const std::string& from, const std::string& to, mode_t type) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    noteRemoved(from);
    noteAdded(to, type);
    return true;
}

bool PosixPlatform::moveFileReplacing(const std::string& from, const std::string& to) {
    refusal_.clear();
    auto src = hostPathToChange(from, Change::File);
    auto dst = src ? hostPathToChange(to, Change::File) : std::nullopt;
    return dst && renamed(*src, *dst, S_IFREG);
}

bool PosixPlatform::deleteFile(const std::string& path) {
    refusal_.clear();
    auto host = hostPathToChange(path, Change::File);
    if (!host || ::unlink(host->c_str()) != 0) return false;
    noteRemoved(*host);
    return true;
}

bool PosixPlatform::createDirectory(const std::string& path) {
    refusal_.clear();
    auto host = hostPathToChange(path, Change::Folder);
    if (!host) return false;
    if (::mkdir(host->c_str(), 0777) == 0) {
        noteAdded(*host, S_IFDIR);
        return true;
    }
    return errno == EEXIST && IsDirectory(*host);
}

std::vector<FoundFile> PosixPlatform::find(const std::string& pattern, std::size_t limit) {
    std::vector<FoundFile> result;
    const std::string namePattern(FileNamePart(pattern));
    const std::string folder = pattern.substr(0, pattern.size() - namePattern.size());
    if (namePattern.empty() || limit == 0) return result;
    auto hostDir = toHostPath(folder.empty() ? std::string(".") : folder);
    if (!hostDir || !isFolder(*hostDir)) return result;
    const bool isRoot = !folder.empty() && toHostPath(folder.substr(0, 2) + "\\") == hostDir;
    // A volume's root has no dot entries; any other folder lists them first, as FAT does.
    auto isDots = [](const std::string& n) { return n == "." || n == ".."; };
    auto found = [&](const std::string& name, mode_t type) {
        bool isDir = type == S_IFDIR || ((type == 0 || type == S_IFLNK) && IsDirectory(*hostDir + "/" + name));
        result.push_back({name, isDir});
    };

    if (namePattern.find_first_of("*?") == std::string::npos) {
        // One name: looked up directly instead of matched against the whole folder.
        auto entry = lookup(*hostDir, namePattern);
        if (entry && !(isRoot && isDots(entry->name))) found(entry->name, entry->type);
        return result;
    }
    if (!isRoot)
        for (const char* dots : {".", ".."})
            if (WildcardMatch(namePattern, dots) && result.size() < limit) result.push_back({dots, true});
    const std::size_t dotCount = result.size();
    if (result.size() < limit) visitEntries(*hostDir, [&](std::string_view name, mode_t type) {
        if (WildcardMatch(namePattern, name)) found(std::string(name), type);
        return result.size() < limit;
    });
    // A complete listing comes in a stable order; which entries a limited one holds is the
    // listing's affair.
    if (limit == SIZE_MAX)
        std::sort(result.begin() + static_cast<std::ptrdiff_t>(dotCount), result.end(),
                  [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return result;
}

std::uint32_t PosixPlatform::logicalDrives() {
    std::uint32_t mask = 0;
    for (int i = 0; i < 26; ++i)
        if (drives_[i]) mask |= 1u << i;
    return mask;
}

DriveType PosixPlatform::driveType(const std::string& root) {
    if (root.size() < 2 || root[1] != ':') return DriveType::NoRootDir;
    auto d = drive(root[0]);
    return d ? d->type : DriveType::NoRootDir;
}

bool PosixPlatform::diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) {
    auto folder = mediaFolder(root);
    struct statvfs vfs {};
    if (!folder || ::statvfs(folder->c_str(), &vfs) != 0) return false;
    totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return true;
}

bool PosixPlatform::diskFreeSpace(const std::string& root, DiskGeometry& geometry) {
    auto folder = mediaFolder(root);
    struct statvfs vfs {};
    if (!folder || ::statvfs(folder->c_str(), &vfs) != 0) return false;
    auto clamp = [](unsigned long long v) { return static_cast<std::uint32_t>(std::min<unsigned long long>(v, 0xFFFFFFFFull)); };
    geometry.bytesPerSector = 512;
    geometry.sectorsPerCluster = std::max<std::uint32_t>(1, clamp(vfs.f_frsize / 512));
    geometry.totalClusters = clamp(vfs.f_blocks);
    geometry.freeClusters = clamp(vfs.f_bavail);
    return true;
}

std::string PosixPlatform::tempPath() {
    const char* env = std::getenv("TMPDIR");
    std::string host = !tempFolder_.empty() ? tempFolder_ : (env && *env) ? env : "/tmp";
    return WithTrailingBackslash(toWindowsPath(host).value_or("Z:\\tmp"));
}

std::uint64_t PosixPlatform::localFileTime() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    struct tm local {};
    ::localtime_r(&ts.tv_sec, &local);
    // Local wall-clock seconds since 1970, then 100 ns units since 1601 at millisecond resolution.
    std::int64_t localSeconds = static_cast<std::int64_t>(ts.tv_sec) + local.tm_gmtoff;
    std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_nsec / 1000000);
    return (static_cast<std::uint64_t>(localSeconds) + 11644473600ull) * 10000000ull + ms * 10000ull;
}

bool PosixPlatform::setCurrentDirectory(const std::string& path) {
    if (path.empty()) return false;  // SetCurrentDirectoryA refuses an empty name too
    auto abs = absoluteWindowsPath(path);
    if (!abs) return false;
    auto host = toHostPath(*abs);
    if (!host || !IsDirectory(*host)) return false;
    auto win = toWindowsPath(*host);
    if (!win) return false;
    currentDirectory_ = WithTrailingBackslash(std::move(*win));
    return true;
}

std::string PosixPlatform::currentDirectory() { return cwd(); }

std::string PosixPlatform::executablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return toWindowsPath(buf).value_or(std::string());
}

std::string PosixPlatform::lastError() { return refusal_.empty() ? std::strerror(errno) : refusal_; }

// Asked once: the side file's name takes it for every file a command writes, and nothing here
// forks and goes on writing.
std::uint32_t CurrentProcessId() {
    static const auto pid = static_cast<std::uint32_t>(::getpid());
    return pid;
}

PosixPlatform& nativePosixPlatform() {
    static PosixPlatform instance = [] {
        PosixPlatform p;
        p.loadSystemDrives();
        return p;
    }();
    return instance;
}

Platform& nativePlatform() { return nativePosixPlatform(); }

// Names are UTF-8 here: stepping by bytes never lands inside a character on an ASCII byte.
CodePage NativeCodePage() { return CodePage(); }

}  // namespace kx
