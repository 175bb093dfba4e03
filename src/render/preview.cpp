// The preview walk: positions mapped onto the hoop's field and pinned to its edges, thread
// colours taken in turn from the design's colour list.
#include "render/preview.h"

#include <algorithm>
#include <vector>

#include "design/byte_order.h"
#include "design/design_header.h"
#include "design/hoop.h"
#include "design/stitch_stream.h"

namespace kx {

const std::array<Color, 78> kPreviewPalette{
    Rgb(0x00, 0x00, 0x00), Rgb(0xFF, 0xFF, 0xFF), Rgb(0xFF, 0xFF, 0x17), Rgb(0xFF, 0x66, 0x00),  // 1
    Rgb(0x2F, 0x59, 0x33), Rgb(0x23, 0x73, 0x36), Rgb(0x65, 0xC2, 0xC8), Rgb(0xAB, 0x5A, 0x96),  // 5
    Rgb(0xF6, 0x69, 0xA0), Rgb(0xFF, 0x00, 0x00), Rgb(0xB1, 0x70, 0x4E), Rgb(0x0B, 0x2F, 0x84),  // 9
    Rgb(0xE4, 0xC3, 0x5D), Rgb(0x48, 0x1A, 0x05), Rgb(0xAC, 0x9C, 0xC7), Rgb(0xFC, 0xF2, 0x94),  // 13
    Rgb(0xF9, 0x99, 0xB7), Rgb(0xFA, 0xB3, 0x81), Rgb(0xC9, 0xA4, 0x80), Rgb(0x97, 0x05, 0x33),  // 17
    Rgb(0xA0, 0xB8, 0xCC), Rgb(0x7F, 0xC2, 0x1C), Rgb(0xE5, 0xE5, 0xE5), Rgb(0x88, 0x9B, 0x9B),  // 21
    Rgb(0x98, 0xD6, 0xBD), Rgb(0xB2, 0xE1, 0xE3), Rgb(0x36, 0x8B, 0xA0), Rgb(0x4F, 0x83, 0xAB),  // 25
    Rgb(0x38, 0x6A, 0x91), Rgb(0x07, 0x16, 0x50), Rgb(0xF9, 0x99, 0xA2), Rgb(0xF9, 0x67, 0x6B),  // 29
    Rgb(0xE3, 0x31, 0x1F), Rgb(0xE2, 0xA1, 0x88), Rgb(0xB5, 0x94, 0x74), Rgb(0xE4, 0xCF, 0x99),  // 33
    Rgb(0xFF, 0xCB, 0x00), Rgb(0xE1, 0xAD, 0xD4), Rgb(0xC3, 0x00, 0x7E), Rgb(0x80, 0x00, 0x4B),  // 37
    Rgb(0x54, 0x05, 0x71), Rgb(0xB1, 0x05, 0x25), Rgb(0xCA, 0xE0, 0xC0), Rgb(0x89, 0x98, 0x56),  // 41
    Rgb(0x5C, 0x94, 0x1A), Rgb(0x00, 0x31, 0x14), Rgb(0x5D, 0xAE, 0x94), Rgb(0x4C, 0xBF, 0x8F),  // 45
    Rgb(0x00, 0x77, 0x72), Rgb(0x59, 0x5B, 0x61), Rgb(0xFF, 0xFF, 0xF2), Rgb(0xB1, 0x58, 0x18),  // 49
    Rgb(0xCB, 0x8A, 0x07), Rgb(0x98, 0x6C, 0x80), Rgb(0x98, 0x69, 0x2D), Rgb(0x4D, 0x34, 0x19),  // 53
    Rgb(0x4C, 0x33, 0x0B), Rgb(0x33, 0x20, 0x0A), Rgb(0x52, 0x3A, 0x97), Rgb(0x0D, 0x21, 0x7E),  // 57
    Rgb(0x1E, 0x77, 0xAC), Rgb(0xB2, 0xDD, 0x53), Rgb(0xF3, 0x36, 0x89), Rgb(0xDE, 0x64, 0x9E),  // 61
    Rgb(0x98, 0x41, 0x61), Rgb(0x4C, 0x56, 0x12), Rgb(0x4C, 0x88, 0x1F), Rgb(0xE4, 0xDE, 0x79),  // 65
    Rgb(0xCB, 0x8A, 0x1A), Rgb(0xCB, 0xA2, 0x1C), Rgb(0xFF, 0x98, 0x05), Rgb(0xFC, 0xB2, 0x57),  // 69
    Rgb(0xFF, 0xE5, 0x05), Rgb(0xF0, 0x33, 0x1F), Rgb(0x1A, 0x84, 0x2D), Rgb(0x38, 0x6C, 0xAE),  // 73
    Rgb(0xE3, 0xC4, 0xB4), Rgb(0xE3, 0xAC, 0x81),  // 77
};

namespace {

// The hoop's field: its area in stitch units, the origin inside it, and whether its height in
// pixels follows the canvas width (square-ish fields) or fills the canvas.
struct Field {
    HoopCode hoop;
    std::int64_t areaWidth, areaHeight, originX, originY;
    bool fromWidth;
};

// A design no hoop holds is drawn on hoop B's field.
constexpr std::array<Field, 4> kFields{{
    {HoopCode::C, 500, 500, 250, 250, true},
    {HoopCode::B, 1600, 2000, 800, 1000, false},
    {HoopCode::AF, 1260, 1260, 630, 630, true},
    {HoopCode::None, 1600, 2000, 800, 1000, false},
}};

// The stored hoop when it names one, else the smallest that holds the extents.
const Field& ChooseField(const DesignHeader& header) {
    const Hoop* stored = FindHoop(header.hoopCode());
    const HoopCode hoop = stored ? stored->code
                                 : ClassifyHoop(header.extentX1(), header.extentY1(), header.extentX2(),
                                                header.extentY2());
    return *std::find_if(kFields.begin(), kFields.end(), [&](const Field& f) { return f.hoop == hoop; });
}

std::string_view LabelOf(HoopCode hoop) {
    const Hoop* known = FindHoop(hoop);
    return known ? known->label : kNoHoopLabel;
}

// The low 16 bits of each colour table entry, or nothing when the table leaves the bytes or its
// count (a signed 16-bit number) is negative.
std::optional<std::vector<std::uint16_t>> ReadColorList(std::span<const std::uint8_t> design,
                                                        const DesignHeader& header) {
    const auto count = static_cast<std::int16_t>(header.colorCount() & 0xFFFF);
    if (count < 0) return std::nullopt;
    const std::size_t entries = static_cast<std::size_t>(count);
    if (!FitsAt(design.size(), kColorTableOffset, entries * kColorEntrySize)) return std::nullopt;
    std::vector<std::uint16_t> colors(entries);
    for (std::size_t i = 0; i < entries; ++i)
        colors[i] = LoadU16LE(design.subspan(kColorTableOffset + i * kColorEntrySize).first<2>());
    return colors;
}

class PreviewWalk {
public:
    PreviewWalk(Raster& canvas, const Field& field, std::int64_t fieldHeight,
                std::vector<std::uint16_t> colors)
        : canvas_(canvas), field_(field), fieldHeight_(fieldHeight), colors_(std::move(colors)),
          x_(field.originX), y_(field.originY) {
        // An empty colour list draws everything in black and its colour changes keep black.
        canvas_.setPen(colors_.empty() ? kBlack : PreviewThreadColor(colors_[0]));
        moveTo();
    }

    void stitch(int dx, int dy) {
        shift(dx, dy);
        canvas_.lineTo(pixelX(), pixelY());
    }
    void move(int dx, int dy) {
        shift(dx, dy);
        moveTo();
    }
    // The colours repeat from the first after the last; a list of one keeps its only colour.
    void nextColor() {
        if (colors_.empty()) return;
        next_ %= colors_.size();
        canvas_.setPen(PreviewThreadColor(colors_[next_]));
        next_ = (next_ + 1) % colors_.size();
    }

private:
    void shift(int dx, int dy) {
        x_ += dx;
        y_ -= dy;
    }
    void moveTo() { canvas_.moveTo(pixelX(), pixelY()); }
    std::int64_t pixelX() const {
        return std::clamp<std::int64_t>(x_ * canvas_.width() / field_.areaWidth, 0, canvas_.width());
    }
    std::int64_t pixelY() const {
        return std::clamp<std::int64_t>(y_ * fieldHeight_ / field_.areaHeight, 0, fieldHeight_);
    }

    Raster& canvas_;
    const Field& field_;
    std::int64_t fieldHeight_;
    std::vector<std::uint16_t> colors_;
    std::size_t next_ = 1;
    std::int64_t x_, y_;
};

bool IsOddColorCode(std::uint8_t code) { return code <= 15 && code % 2 == 1; }

// At most recordCount - 1 steps (a control record with its parameter is one step), ending
// early at the end record or where the bytes end.
void WalkStream(std::span<const std::uint8_t> data, std::int64_t steps, PreviewWalk& walk) {
    constexpr std::uint8_t kSkipParameter = 0x30, kColorHere = 0x20, kColorHereToo = 0x80;
    std::size_t at = 0;
    for (; steps > 0 && FitsAt(data.size(), at, kRecordSize); --steps) {
        const StitchRecord record{data[at], data[at + 1]};
        at += kRecordSize;
        if (!record.isControl()) {
            walk.stitch(record.dx(), record.dy());
            continue;
        }
        const std::uint8_t code = record.second;
        if (code == ControlCode::End) return;
        if (code == kColorHere || code == kColorHereToo) {
            walk.nextColor();
            walk.move(0, 0);
        } else if (code == kSkipParameter) {
            at += kRecordSize;
        } else if (code == ControlCode::Move || code == ControlCode::MoveAlt || IsOddColorCode(code)) {
            if (!FitsAt(data.size(), at, kRecordSize)) return;
            const StitchRecord parameter{data[at], data[at + 1]};
            at += kRecordSize;
            if (IsOddColorCode(code)) walk.nextColor();
            walk.move(parameter.dx(), parameter.dy());
        }
    }
}

}  // namespace

Color PreviewThreadColor(std::int32_t code) {
    if (code < 1 || static_cast<std::size_t>(code) > kPreviewPalette.size()) return kBlack;
    return kPreviewPalette[static_cast<std::size_t>(code - 1)];
}

std::optional<PreviewResult> RenderPreviewPixels(std::span<const std::uint8_t> design,
                                                 Raster& canvas) {
    auto header = DesignHeader::parse(design);
    if (!header) return std::nullopt;
    auto colors = ReadColorList(design, *header);
    if (!colors || header->stitchOffset() > design.size()) return std::nullopt;

    const int w = canvas.width(), h = canvas.height();
    const Field& field = ChooseField(*header);
    const int fieldHeight = field.fromWidth ? w + 6 : h;
    canvas.fillRect(1, 1, 1 + w, 1 + h, kLightGray);
    canvas.fillRect(0, 0, w, fieldHeight, kWhite);

    PreviewWalk walk(canvas, field, fieldHeight, std::move(*colors));
    WalkStream(design.subspan(header->stitchOffset()), std::int64_t{header->recordCount()} - 1, walk);
    return PreviewResult{LabelOf(field.hoop), fieldHeight};
}

}  // namespace kx
