// POSIX backend, files: descriptors, opening, copying, moving, deleting and making folders.
#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/host_path_facts.h"

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

// Repeats `step` (a read or write of what is left after `done` bytes) until `size` bytes went,
// the file ends or the call fails; an interrupted call is repeated. A full volume after some
// bytes is a short transfer, as WriteFile reports it.
template <class Step>
std::optional<std::size_t> Transfer(std::size_t size, Step step) {
    std::size_t total = 0;
    while (total < size) {
        ssize_t n = step(total);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == ENOSPC && total > 0) break;
            return std::nullopt;
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

class PosixFile : public File {
public:
    PosixFile(Fd fd, bool isVolume) : fd_(std::move(fd)), isVolume_(isVolume) {}
    // A file read or made by `owner` under `path`; a read-only one keeps its size as opened.
    PosixFile(Fd fd, PosixPlatform& owner, std::string path, std::optional<std::uint64_t> readOnlySize)
        : fd_(std::move(fd)), isVolume_(false), owner_(&owner), path_(std::move(path)), readOnlySize_(readOnlySize) {}

    std::optional<std::size_t> read(std::span<std::uint8_t> into) override {
        if (isVolume_) return std::nullopt;
        return Transfer(into.size(), [&](std::size_t done) {
            return ::read(fd_.get(), into.data() + done, into.size() - done);
        });
    }

    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        if (isVolume_) return std::nullopt;
        return Transfer(from.size(), [&](std::size_t done) {
            return ::write(fd_.get(), from.data() + done, from.size() - done);
        });
    }

    std::optional<std::uint64_t> size() override {
        if (readOnlySize_) return readOnlySize_;
        struct stat st {};
        if (isVolume_ || ::fstat(fd_.get(), &st) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(st.st_size);
    }

    bool seek(std::int64_t offset, SeekFrom from) override {
        if (isVolume_) return false;
        return ::lseek(fd_.get(), offset, from == SeekFrom::Begin ? SEEK_SET : SEEK_END) >= 0;
    }

    bool flush() override { return isVolume_ ? ::syncfs(fd_.get()) == 0 : ::fsync(fd_.get()) == 0; }

    // By the path it was made under: POSIX renames names, not descriptors.
    bool renameTo(const std::string& path) override { return owner_ && owner_->moveFileReplacing(path_, path); }

private:
    Fd fd_;
    bool isVolume_;
    PosixPlatform* owner_ = nullptr;
    std::string path_;
    std::optional<std::uint64_t> readOnlySize_;
};

// Cleanup after a failure keeps the failure's errno for lastError().
class KeepErrno {
public:
    ~KeepErrno() { errno = saved_; }

private:
    int saved_ = errno;
};

}  // namespace

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
        // O_EXCL never follows a link and only ever makes a new, regular file: nothing to check
        // after the open, and no FIFO to guard against.
        case OpenMode::CreateNew: flags = O_CLOEXEC | O_WRONLY | O_CREAT | O_EXCL; break;
        case OpenMode::Volume: return nullptr;
    }
    auto host = mode == OpenMode::Read ? hostPathToRead(path) : hostPathToChange(path, Change::File);
    if (!host) return nullptr;
    Fd fd(::open(host->c_str(), flags, 0666));
    if (!fd) return nullptr;
    if (mode == OpenMode::CreateNew) {
        noteAdded(*host, S_IFREG);
        return std::make_unique<PosixFile>(std::move(fd), *this, path, std::nullopt);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return nullptr;
    if (const char* reason = NotAFileReason(st.st_mode)) {
        refuse(reason);
        return nullptr;
    }
    if (flags & O_CREAT) noteAdded(*host, S_IFREG);
    // F_SETFL sets only the status flags, and of those only O_NONBLOCK was given: one call clears it.
    ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    std::optional<std::uint64_t> readOnlySize;
    if (mode == OpenMode::Read) readOnlySize = static_cast<std::uint64_t>(st.st_size);
    return std::make_unique<PosixFile>(std::move(fd), *this, path, readOnlySize);
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

}  // namespace kx
