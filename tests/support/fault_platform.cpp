// Fault injection over a real backend.
#include "support/fault_platform.h"

#include <algorithm>

namespace kx::test {

namespace {

class FaultFile : public File {
public:
    FaultFile(std::unique_ptr<File> inner, FaultPlatform& owner, char drive)
        : inner_(std::move(inner)), owner_(owner), drive_(drive) {}

    std::optional<std::size_t> read(std::span<std::uint8_t> into) override {
        if (owner_.nextOperationFails()) return std::nullopt;
        return inner_->read(into);
    }
    std::optional<std::size_t> write(std::span<const std::uint8_t> from) override {
        if (owner_.nextOperationFails()) return std::nullopt;
        std::size_t fits = owner_.takeBudget(drive_, from.size());
        if (fits == 0 && !from.empty()) return std::size_t{0};
        return inner_->write(from.first(fits));
    }
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    bool seek(std::int64_t offset, SeekFrom from) override { return inner_->seek(offset, from); }
    bool flush() override { return inner_->flush(); }

private:
    std::unique_ptr<File> inner_;
    FaultPlatform& owner_;
    char drive_;
};

bool Writes(OpenMode mode) { return mode != OpenMode::Read && mode != OpenMode::Volume; }

}  // namespace

FaultPlatform::FaultPlatform(Platform& inner) : inner_(inner), scope_(*this) {}
FaultPlatform::~FaultPlatform() = default;

bool FaultPlatform::nextOperationFails() {
    ++count_;
    if (failAt_ != 0 && count_ == failAt_) {
        failedOnce_ = true;
        return true;
    }
    return false;
}

std::size_t FaultPlatform::takeBudget(char driveLetter, std::size_t wanted) {
    if (!budgetDrive_ || driveLetter != budgetDrive_) return wanted;
    std::size_t fits = static_cast<std::size_t>(std::min<std::uint64_t>(budget_, wanted));
    budget_ -= fits;
    return fits;
}

char FaultPlatform::driveOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return Upper(path[0]);
    std::string cwd = inner_.currentDirectory();
    return cwd.empty() ? 0 : Upper(cwd[0]);
}

std::unique_ptr<File> FaultPlatform::open(const std::string& path, OpenMode mode) {
    if (nextOperationFails()) return nullptr;
    if (Writes(mode) && isReadOnly(path)) return nullptr;
    auto file = inner_.open(path, mode);
    if (!file) return nullptr;
    return std::make_unique<FaultFile>(std::move(file), *this, driveOf(path));
}

bool FaultPlatform::copyFile(const std::string& from, const std::string& to) {
    if (nextOperationFails() || isReadOnly(to)) return false;
    if (budgetDrive_ && driveOf(to) == budgetDrive_) {
        auto source = inner_.open(from, OpenMode::Read);
        auto size = source ? source->size() : std::nullopt;
        if (!size) return false;
        source.reset();
        // A copy that does not fit fails whole, as the backends leave no part behind.
        if (*size > budget_) {
            budget_ = 0;
            return false;
        }
        budget_ -= *size;
    }
    return inner_.copyFile(from, to);
}

bool FaultPlatform::moveFile(const std::string& from, const std::string& to) {
    if (nextOperationFails() || isReadOnly(from) || isReadOnly(to)) return false;
    return inner_.moveFile(from, to);
}

bool FaultPlatform::deleteFile(const std::string& path) {
    if (nextOperationFails() || isReadOnly(path)) return false;
    return inner_.deleteFile(path);
}

bool FaultPlatform::createDirectory(const std::string& path) {
    if (nextOperationFails() || isReadOnly(path)) return false;
    return inner_.createDirectory(path);
}

}  // namespace kx::test
