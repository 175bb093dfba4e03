// PNG encoding into memory and nearest-neighbour enlargement.
#include "cli/png_image.h"

#include <png.h>

#include <algorithm>
#include <new>

namespace kx::cli {

namespace {

constexpr int kLargestSide = 1 << 14;

// The write and info structures of one encoding, destroyed together.
class PngWriter {
public:
    PngWriter() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool ok() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool stored = false;
    try {
        bytes->insert(bytes->end(), data, data + length);
        stored = true;
    } catch (const std::bad_alloc&) {}
    if (!stored) png_error(png, "out of memory");  // jumps away, so not from inside the handler
}

void NoFlush(png_structp) {}

bool Consistent(const RgbImage& image) {
    return image.width > 0 && image.height > 0 && image.width <= kLargestSide &&
           image.height <= kLargestSide &&
           image.rgb.size() == static_cast<std::size_t>(image.width) * image.height * 3;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(const RgbImage& image) {
    if (!Consistent(image)) return std::nullopt;
    PngWriter writer;
    if (!writer.ok()) return std::nullopt;
    std::vector<std::uint8_t> encoded;
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.rgb.data() + y * static_cast<std::size_t>(image.width) * 3);
    // libpng reports its errors by jumping back here; everything with a destructor already exists.
    if (setjmp(png_jmpbuf(writer.png()))) return std::nullopt;
    png_set_write_fn(writer.png(), &encoded, Append, NoFlush);
    png_set_IHDR(writer.png(), writer.info(), static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png(), writer.info());
    png_write_image(writer.png(), rows.data());
    png_write_end(writer.png(), nullptr);
    return encoded;
}

RgbImage ScaleNearest(const RgbImage& image, int factor) {
    if (!Consistent(image) || factor < 1 || factor > kLargestSide / std::max(image.width, image.height))
        return {};
    RgbImage big{image.width * factor, image.height * factor, {}};
    big.rgb.resize(static_cast<std::size_t>(big.width) * big.height * 3);
    for (int y = 0; y < big.height; ++y) {
        for (int x = 0; x < big.width; ++x) {
            std::size_t from = (static_cast<std::size_t>(y / factor) * image.width + x / factor) * 3;
            std::size_t to = (static_cast<std::size_t>(y) * big.width + x) * 3;
            for (int c = 0; c < 3; ++c) big.rgb[to + c] = image.rgb[from + c];
        }
    }
    return big;
}

}  // namespace kx::cli
