// Fault injection over a real backend.
#include "support/fault_platform.h"

#include <algorithm>

namespace kx::test {

namespace {

class FaultFile : public File {
public:
    FaultFile(std::unique_ptr<File> inner, FaultPlatform& owner, std::string path, char drive, bool volume)
        : inner_(std::move(inner)), owner_(owner), path_(std::move(path)), drive_(drive), volume_(volume) {}

    std::optional<std::size_t> read(std::span<std::uint8_t> into) override {
        if (owner_.nextOperationFails("read " + path_)) return std::nullopt;
        return inner_->read(into);
    }
    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        if (owner_.nextOperationFails("write " + path_)) return std::nullopt;
        std::size_t fits = owner_.takeBudget(drive_, from.size());
        if (fits == 0 && !from.empty()) return std::size_t{0};
        return inner_->write(from.first(fits));
    }
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    bool seek(std::int64_t offset, SeekFrom from) override { return inner_->seek(offset, from); }
    bool flush() override {
        bool ok = inner_->flush();
        if (ok && volume_) owner_.noteFlush(drive_);
        return ok;
    }

private:
    std::unique_ptr<File> inner_;
    FaultPlatform& owner_;
    std::string path_;
    char drive_;
    bool volume_;
};

bool Writes(OpenMode mode) { return mode != OpenMode::Read && mode != OpenMode::Volume; }

}  // namespace

FaultPlatform::FaultPlatform(Platform& inner) : inner_(inner), scope_(*this) {}
FaultPlatform::~FaultPlatform() = default;

bool FaultPlatform::nextOperationFails(const std::string& what) {
    ++count_;
    ownError_ = nullptr;
    if (failAt_ != 0 && count_ == failAt_) {
        failedOnce_ = true;
        failedWhat_ = what;
        ownError_ = "Injected fault";
        return true;
    }
    return false;
}

std::size_t FaultPlatform::takeBudget(char driveLetter, std::size_t wanted) {
    if (!budgetDrive_ || driveLetter != budgetDrive_) return wanted;
    std::size_t fits = static_cast<std::size_t>(std::min<std::uint64_t>(budget_, wanted));
    budget_ -= fits;
    if (fits < wanted) ownError_ = "No space left on device";
    return fits;
}

bool FaultPlatform::isReadOnly(const std::string& path) {
    if (!readOnly_ || driveOf(path) != readOnly_) return false;
    ownError_ = "Read-only file system";
    return true;
}

char FaultPlatform::driveOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return Upper(path[0]);
    std::string cwd = inner_.currentDirectory();
    return cwd.empty() ? 0 : Upper(cwd[0]);
}

std::unique_ptr<File> FaultPlatform::open(const std::string& path, OpenMode mode) {
    if (nextOperationFails("open " + path)) return nullptr;
    if (Writes(mode) && isReadOnly(path)) return nullptr;
    auto file = inner_.open(path, mode);
    if (!file) return nullptr;
    bool volume = mode == OpenMode::Volume;
    char drive = volume && path.size() >= 5 ? Upper(path[4]) : driveOf(path);
    return std::make_unique<FaultFile>(std::move(file), *this, path, drive, volume);
}

bool FaultPlatform::copyFile(const std::string& from, const std::string& to) {
    if (nextOperationFails("copy " + from + " " + to) || isReadOnly(to)) return false;
    if (budgetDrive_ && driveOf(to) == budgetDrive_) {
        auto source = inner_.open(from, OpenMode::Read);
        auto size = source ? source->size() : std::nullopt;
        if (!size) return false;
        source.reset();
        // A copy that does not fit fails whole, as the backends leave no part behind.
        if (*size > budget_) {
            budget_ = 0;
            ownError_ = "No space left on device";
            return false;
        }
        budget_ -= *size;
    }
    return inner_.copyFile(from, to);
}

bool FaultPlatform::moveFile(const std::string& from, const std::string& to) {
    if (nextOperationFails("move " + from + " " + to) || isReadOnly(from) || isReadOnly(to)) return false;
    return inner_.moveFile(from, to);
}

bool FaultPlatform::moveFileReplacing(const std::string& from, const std::string& to) {
    if (nextOperationFails("rename " + from + " " + to) || isReadOnly(from) || isReadOnly(to)) return false;
    return inner_.moveFileReplacing(from, to);
}

bool FaultPlatform::deleteFile(const std::string& path) {
    if (nextOperationFails("delete " + path) || isReadOnly(path)) return false;
    return inner_.deleteFile(path);
}

bool FaultPlatform::createDirectory(const std::string& path) {
    if (nextOperationFails("mkdir " + path) || isReadOnly(path)) return false;
    return inner_.createDirectory(path);
}

}  // namespace kx::test
