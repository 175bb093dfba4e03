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
        return owner_.nextOperationFails("read " + path_) ? std::nullopt : inner_->read(into);
    }
    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        if (owner_.nextOperationFails("write " + path_)) return std::nullopt;
        return inner_->write(from.first(owner_.takeBudget(drive_, from.size())));
    }
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    bool seek(std::int64_t offset, SeekFrom from) override { return inner_->seek(offset, from); }
    bool flush() override {
        bool ok = inner_->flush();
        if (ok && volume_) owner_.noteFlush(drive_);
        return ok;
    }
    bool renameTo(const std::string& path) override { return !owner_.renameFails(path_, path) && inner_->renameTo(path); }

private:
    std::unique_ptr<File> inner_;
    FaultPlatform& owner_;
    std::string path_;
    char drive_;
    bool volume_;
};

}  // namespace

bool FaultPlatform::nextOperationFails(const std::string& what) {
    ++count_;
    ownError_ = nullptr;
    if (failAt_ == 0 || count_ != failAt_) return false;
    failedWhat_ = what;
    ownError_ = "Injected fault";
    return true;
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
    if (mode != OpenMode::Read && mode != OpenMode::Volume && isReadOnly(path)) return nullptr;
    auto file = inner_.open(path, mode);
    if (!file) return nullptr;
    bool volume = mode == OpenMode::Volume;
    char drive = volume && path.size() >= 5 ? Upper(path[4]) : driveOf(path);
    return std::make_unique<FaultFile>(std::move(file), *this, path, drive, volume);
}

}  // namespace kx::test
