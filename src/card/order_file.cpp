// Order file image accessors and its four operations on the card.
#include "card/order_file.h"

#include <algorithm>

#include "card/card_layout.h"
#include "platform/code_page.h"
#include "platform/platform.h"

namespace kx {

namespace {

constexpr std::string_view kSignature = "VORLEXF1";
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kOrderNamesOffset = 16;
constexpr std::size_t kFolderTableOffset = 160;
constexpr std::size_t kHasDesignsOffset = 11;

constexpr const char* kUploadCaption = "Upload";
constexpr const char* kReadFailedText = "Failed to read a temporary file.";

// Each name at the start of its 12-byte entry; the rest stays zero.
void CopyNameTable(const std::array<std::string_view, kCardFolderCount>& names,
                   OrderFile::Image& image, std::size_t offset) {
    for (std::size_t i = 0; i < names.size(); ++i)
        std::copy(names[i].begin(), names[i].end(), image.begin() + offset + i * kEntrySize);
}

std::string OrderFilePath(const std::string& root) { return root + std::string(kOrderFileName); }

void ShowUploadError(WindowRef owner) { ShowMessage(owner, kReadFailedText, kUploadCaption, mb::ICONHAND); }

bool HasOrderFileSize(File& file) { return file.size() == std::optional<std::uint64_t>(kOrderFileSize); }

// Opens the order file; one of the wrong size is closed and deleted so that a new one can be written.
std::unique_ptr<File> OpenSizedOrderFile(const std::string& path, OpenMode mode) {
    auto file = platform().open(path, mode);
    if (file && !HasOrderFileSize(*file)) {
        file.reset();
        platform().deleteFile(path);
    }
    return file;
}

}  // namespace

OrderFile::Image OrderFile::DefaultImage() {
    Image image{};
    std::copy(kSignature.begin(), kSignature.end(), image.begin());
    CopyNameTable(OrderFolderNames, image, kOrderNamesOffset);
    CopyNameTable(DesignFolderNames, image, kFolderTableOffset);
    return image;
}

std::span<const std::uint8_t> OrderFile::bytes() const {
    if (!image_) return {};
    return *image_;
}

std::optional<std::size_t> OrderFile::entryOffset(int folder) const {
    if (!image_ || folder < 0 || folder >= kCardFolderCount) return std::nullopt;
    return kFolderTableOffset + static_cast<std::size_t>(folder) * kEntrySize;
}

std::string OrderFile::displayName(int folder) const {
    auto offset = entryOffset(folder);
    if (!offset) return {};
    auto name = image_->begin() + *offset;
    return std::string(name, std::find(name, name + kDisplayNameLength, 0));
}

bool OrderFile::hasDesigns(int folder) const {
    auto offset = entryOffset(folder);
    return offset && (*image_)[*offset + kHasDesignsOffset] != 0;
}

void OrderFile::setDisplayName(int folder, std::string_view name) {
    auto offset = entryOffset(folder);
    if (!offset) return;
    name = CutAtCharacter(name, kDisplayNameLength);
    auto field = image_->begin() + *offset;
    std::fill(field, field + kDisplayNameLength, 0);
    std::copy(name.begin(), name.end(), field);
}

void OrderFile::setHasDesigns(int folder, bool hasDesigns) {
    if (auto offset = entryOffset(folder)) (*image_)[*offset + kHasDesignsOffset] = hasDesigns ? 1 : 0;
}

std::array<std::string, kCardFolderCount> SalvageDisplayNames(std::span<const std::uint8_t> bytes) {
    OrderFile damaged;
    OrderFile::Image image{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
    damaged.assign(image);
    std::array<std::string, kCardFolderCount> names;
    for (int i = 0; i < kCardFolderCount; ++i)
        if (kFolderTableOffset + static_cast<std::size_t>(i + 1) * kEntrySize <= bytes.size())
            names[static_cast<std::size_t>(i)] = damaged.displayName(i);
    return names;
}

bool ValidateOrderFile(std::span<const std::uint8_t> image) {
    return image.size() == kOrderFileSize && std::equal(kSignature.begin(), kSignature.end(), image.begin());
}

OrderFileRead ReadOrderFile(WindowRef owner, const std::string& root, OrderFile& orderFile) {
    orderFile.reset();
    auto file = OpenSizedOrderFile(OrderFilePath(root), OpenMode::Read);
    if (!file) return OrderFileRead::Unusable;
    OrderFile::Image image{};
    if (!file->readExactly(image)) {
        ShowUploadError(owner);
        return OrderFileRead::Failed;
    }
    // An invalid file stays; the caller's creation overwrites it.
    if (!ValidateOrderFile(image)) return OrderFileRead::Unusable;
    orderFile.assign(image);
    return OrderFileRead::Valid;
}

OrderFileWrite CreateOrderFile(const std::string& root, OrderFile& orderFile) {
    orderFile.reset();
    auto file = platform().open(OrderFilePath(root), OpenMode::ReadWriteAlways);
    if (!file) return OrderFileWrite::NotWritten;
    orderFile.assign(OrderFile::DefaultImage());
    // A failed write is not reported: the layout check goes on with the image in memory.
    return file->writeExactly(orderFile.bytes()) ? OrderFileWrite::Written : OrderFileWrite::NotWritten;
}

OrderFileWrite UpdateFolderName(WindowRef owner, const std::string& root, int folder, std::string_view name,
                                OrderFile& orderFile) {
    auto file = OpenSizedOrderFile(OrderFilePath(root), OpenMode::WriteExisting);
    if (!file) return OrderFileWrite::NotWritten;
    if (!orderFile || folder < 0 || folder >= kCardFolderCount) return OrderFileWrite::NotWritten;
    // The new name stays in memory even when it does not reach the card.
    orderFile.setDisplayName(folder, name);
    if (!file->writeExactly(orderFile.bytes())) {
        ShowUploadError(owner);
        return OrderFileWrite::NotWritten;
    }
    return OrderFileWrite::Written;
}

}  // namespace kx
