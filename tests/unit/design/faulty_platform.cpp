// The recording, fault-injecting backend of the design tests.
#include "faulty_platform.h"

#include <algorithm>

namespace kx::test {

namespace {
class UnwritableFile : public File {
public:
    explicit UnwritableFile(std::unique_ptr<File> inner) : inner_(std::move(inner)) {}
    std::optional<std::size_t> read(std::span<std::uint8_t> into) override { return inner_->read(into); }
    std::optional<std::size_t> write(std::span<const std::uint8_t>) override { return std::nullopt; }
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    bool seek(std::int64_t offset, SeekFrom from) override { return inner_->seek(offset, from); }
    bool flush() override { return inner_->flush(); }

private:
    std::unique_ptr<File> inner_;
};
}  // namespace

std::unique_ptr<File> FaultyPlatform::open(const std::string& path, OpenMode mode) {
    opens.emplace_back(path, mode);
    if (failOpen.count(mode)) return nullptr;
    auto file = PosixPlatform::open(path, mode);
    if (!file || !failWrites.count(mode)) return file;
    return std::make_unique<UnwritableFile>(std::move(file));
}

int FaultyPlatform::opensIn(OpenMode mode) const {
    return static_cast<int>(std::count_if(opens.begin(), opens.end(), [&](const auto& o) { return o.second == mode; }));
}

}  // namespace kx::test
