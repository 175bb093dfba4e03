// Pictures of a design as it is: the card's thumbnail record and the preview drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kx::cli {

struct PreviewSize {
    int width = 0;
    int height = 0;
};

// The main dialog's preview pane is 68 × 85 dialog units in a dialog set in "MS Sans Serif" 8 pt,
// whose base units at 96 dpi are 6 × 13 pixels: 68 × 6 / 4 = 102 by 85 × 13 / 8 = 138 pixels
// of window, and the canvas is 10 pixels smaller each way.
inline constexpr PreviewSize kPanePreviewSize{92, 128};

// "WxH" with each side 1 to 4096 pixels.
std::optional<PreviewSize> ParsePreviewSize(std::string_view text);

// The thumbnail record of `hostFile` written to `hostOut`: the record's bytes, or a picture of
// it when `hostOut` ends in ".png".
int ThumbnailCommand(const std::string& hostFile, const std::string& hostOut);
// The preview drawing as a PNG at `hostOut`; the hoop label goes to stdout.
int PreviewCommand(const std::string& hostFile, const std::string& hostOut, PreviewSize size);

// The same over a design's bytes, for the demo. The picture of the thumbnail record: false after
// a "kxcard:" line. The preview: its hoop label, or nothing after a "kxcard:" line.
bool WriteThumbnailPicture(std::span<const std::uint8_t> design, const std::string& hostOut);
std::optional<std::string> WritePreviewPicture(std::span<const std::uint8_t> design,
                                               const std::string& hostOut, PreviewSize size);

}  // namespace kx::cli
