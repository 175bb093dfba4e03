// Thumbnail records and preview drawings as files and pictures.
#include "cli/picture_commands.h"

#include <charconv>
#include <iostream>

#include "cli/design_commands.h"
#include "cli/exit_codes.h"
#include "cli/output_file.h"
#include "cli/png_image.h"
#include "design/byte_order.h"
#include "platform/paths.h"
#include "render/preview.h"
#include "render/thumbnail.h"

namespace kx::cli {

namespace {

constexpr int kLargestPreviewSide = 4096;
// A thumbnail is at most 46 × 58 pixels: eight times that is still a small picture.
constexpr int kThumbnailEnlargement = 8;

std::optional<int> ParseSide(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || error != std::errc() || end != text.data() + text.size() ||
        value < 1 || value > kLargestPreviewSide)
        return std::nullopt;
    return value;
}

void PutPixel(RgbImage& image, int x, int y, Color color) {
    std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) *
        3;
    image.rgb[at] = RedOf(color);
    image.rgb[at + 1] = GreenOf(color);
    image.rgb[at + 2] = BlueOf(color);
}

// The record's pixel codes as their drawing colours, read back through its own trailer: columns
// from the left, each from the bottom row up.
std::optional<RgbImage> ThumbnailPicture(std::span<const std::uint8_t> record) {
    std::size_t size = record.size();
    if (size < kThumbnailHeaderSize + kThumbnailTrailerSize) return std::nullopt;
    std::size_t trailer = size - kThumbnailTrailerSize;
    std::uint32_t height = *ReadU32BE(record, trailer), width = *ReadU32BE(record, trailer + 4),
                  column = *ReadU32BE(record, trailer + 8);
    if (width == 0 || height == 0 || height > column || column > trailer ||
        std::uint64_t{width} * column != trailer - kThumbnailHeaderSize)
        return std::nullopt;
    RgbImage image{static_cast<int>(width), static_cast<int>(height), {}};
    image.rgb.resize(std::size_t{width} * height * 3);
    for (std::uint32_t x = 0; x < width; ++x)
        for (std::uint32_t k = 0; k < height; ++k) {
            std::uint8_t code = record[kThumbnailHeaderSize + std::size_t{x} * column + k];
            PutPixel(image, static_cast<int>(x), static_cast<int>(height - 1 - k), ThumbnailCodeColor(code));
        }
    return image;
}

bool WritePicture(const RgbImage& image, const std::string& hostOut) {
    auto png = EncodePng(image);
    if (!png) {
        std::cerr << "kxcard: the picture for " << hostOut << " could not be encoded" << std::endl;
        return false;
    }
    return WriteOutputFile(hostOut, *png);
}

std::optional<ThumbnailRecord> RecordOf(std::span<const std::uint8_t> design) {
    auto record = MakeThumbnailRecord(design);
    if (!record)
        std::cerr << "kxcard: no thumbnail: the header is cut short or its hoop code is not 0 to 5"
                  << std::endl;
    return record;
}

bool EndsWithPng(const std::string& path) { return EqualsIgnoreCase(SplitPath(path).ext, ".png"); }

}  // namespace

std::optional<PreviewSize> ParsePreviewSize(std::string_view text) {
    std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    auto width = ParseSide(text.substr(0, x)), height = ParseSide(text.substr(x + 1));
    if (!width || !height) return std::nullopt;
    return PreviewSize{*width, *height};
}

bool WriteThumbnailPicture(std::span<const std::uint8_t> design, const std::string& hostOut) {
    auto record = RecordOf(design);
    auto picture = record ? ThumbnailPicture(*record) : std::nullopt;
    return picture && WritePicture(ScaleNearest(*picture, kThumbnailEnlargement), hostOut);
}

std::optional<std::string> WritePreviewPicture(std::span<const std::uint8_t> design,
                                               const std::string& hostOut, PreviewSize size) {
    // The canvas as the pane's clear leaves it; the render fills the hoop's field.
    Raster canvas(size.width, size.height, kLightGray);
    auto drawn = RenderPreviewPixels(design, canvas);
    if (!drawn) {
        std::cerr << "kxcard: the design cannot be read for a preview" << std::endl;
        return std::nullopt;
    }
    RgbImage image{canvas.width(), canvas.height(), {}};
    image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) PutPixel(image, x, y, canvas.pixel(x, y));
    if (!WritePicture(image, hostOut)) return std::nullopt;
    return std::string(drawn->label);
}

int ThumbnailCommand(const std::string& hostFile, const std::string& hostOut) {
    auto design = ReadDesignArgument(hostFile);
    if (!design) return kExitRefused;
    if (EndsWithPng(hostOut)) return WriteThumbnailPicture(*design, hostOut) ? kExitDone : kExitRefused;
    auto record = RecordOf(*design);
    return record && WriteOutputFile(hostOut, *record) ? kExitDone : kExitRefused;
}

int PreviewCommand(const std::string& hostFile, const std::string& hostOut, PreviewSize size) {
    auto design = ReadDesignArgument(hostFile);
    if (!design) return kExitRefused;
    auto label = WritePreviewPicture(*design, hostOut, size);
    if (!label) return kExitRefused;
    std::cout << *label << '\n';
    return kExitDone;
}

}  // namespace kx::cli
