// Builds the thumbnail record: the stitch stream walked onto a raster of code colours, then
// read back column by column from the bottom row.
#include "render/thumbnail.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string_view>
#include <utility>

#include "design/byte_order.h"
#include "design/design_header.h"
#include "design/stitch_stream.h"
#include "platform/platform.h"

namespace kx {

namespace {

constexpr std::array<ThumbnailGeometry, 6> kGeometries{{
    {40, 40, 40, 1100, 1100},
    {30, 30, 32, 500, 500},
    {40, 58, 60, 1400, 2000},
    {46, 40, 40, 1260, 1100},
    {40, 40, 40, 2300, 2000},
    {30, 30, 32, 1000, 500},
}};

constexpr std::string_view kSignature = "VORLEXB1";
constexpr std::uint8_t kDrawnMoveStep = 119;  // a move of exactly this step is sewn

namespace record_offset {
constexpr std::size_t kMarker = 9;
constexpr std::size_t kHoopCode = 12;
constexpr std::size_t kPairMark = 16;
constexpr std::size_t kBodySize = 20;
}  // namespace record_offset
constexpr std::uint8_t kMarker = 0x1A;

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// The code of colour table entry `index`; entries beyond the table or the image have none.
std::uint8_t EntryCode(std::span<const std::uint8_t> design, const DesignHeader& header,
                       std::uint64_t index) {
    const std::uint64_t inImage =
        design.size() > kColorTableOffset ? (design.size() - kColorTableOffset) / kColorEntrySize : 0;
    if (index >= std::min<std::uint64_t>(header.colorCount(), inImage)) return kThumbnailMissingColor;
    const std::size_t at = kColorTableOffset + static_cast<std::size_t>(index) * kColorEntrySize;
    return ThumbnailThreadCode(AsSigned(LoadU32LE(design.subspan(at).first<4>())));
}

// Stitch units to pixels, rounding toward zero as the division does and pulled in to the
// canvas's coordinate bound. Positions from 0 up to the canvas's far side take their pixel from
// a table, a load instead of a division per axis and record; the rest, off the canvas, divide.
class PixelScale {
public:
    PixelScale(std::int64_t scale, int side)
        : scale_(scale), pixelOf_(static_cast<std::size_t>(side) * static_cast<std::size_t>(scale)) {
        for (int p = 0; p < side; ++p)
            std::fill_n(pixelOf_.begin() + std::ptrdiff_t{p} * scale, scale, static_cast<std::uint16_t>(p));
    }
    std::int32_t operator()(std::int64_t units) const {
        if (static_cast<std::uint64_t>(units) < pixelOf_.size()) return pixelOf_[static_cast<std::size_t>(units)];
        return static_cast<std::int32_t>(std::clamp(units / scale_, -kRasterCoordLimit, kRasterCoordLimit));
    }

private:
    std::int64_t scale_;
    std::vector<std::uint16_t> pixelOf_;
};

// The needle's walk over the stream, at one pixel per `scale` stitch units, as the points the
// pen draws lines to.
class StitchWalk {
public:
    // What stops the points: a step the pen does not draw (the walk stands at its end), a
    // colour change or the end of the stream.
    enum class Turn { kMove, kColor, kEnd };

    StitchWalk(std::span<const std::uint8_t> design, std::size_t at, std::int64_t scale, int width, int height)
        : at_(design.data() + std::min<std::size_t>(at, design.size())), end_(design.data() + design.size()),
          pixel_(scale, std::max(width, height)), x_((width / 2) * scale), y_((height / 2) * scale) {}

    Turn turn() const { return turn_; }
    Raster::Vertex here() const { return {pixel_(x_), pixel_(y_)}; }

    // The next point the pen draws a line to; none at a turn.
    bool operator()(Raster::Vertex& point) {
        while (end_ - at_ >= std::ptrdiff_t{kRecordSize}) {
            StitchRecord shift{at_[0], at_[1]};
            at_ += kRecordSize;
            bool down;
            if (!shift.isControl()) [[likely]] {
                down = std::exchange(penDown_, true);
            } else if (shift.second == ControlCode::End) {
                break;
            } else if (shift.second == ControlCode::ColorChange) {
                // The displacement after it is walked as an ordinary stitch after the turn.
                turn_ = Turn::kColor;
                return false;
            } else if (shift.second == ControlCode::Move || shift.second == ControlCode::MoveAlt) {
                if (end_ - at_ < std::ptrdiff_t{kRecordSize}) break;
                shift = {at_[0], at_[1]};
                at_ += kRecordSize;
                // A move of exactly kDrawnMoveStep either way is sewn; any other lifts the pen.
                penDown_ = down = std::abs(shift.dx()) == kDrawnMoveStep || std::abs(shift.dy()) == kDrawnMoveStep;
            } else {
                continue;
            }
            x_ += shift.dx();
            y_ -= shift.dy();
            if (!down) [[unlikely]] {
                turn_ = Turn::kMove;
                return false;
            }
            point = here();
            return true;
        }
        turn_ = Turn::kEnd;
        return false;
    }

private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    PixelScale pixel_;
    std::int64_t x_, y_;
    bool penDown_ = false;
    Turn turn_ = Turn::kEnd;
};

// The walk drawn: near lines straight from the walk, far ones stepped, a move or a colour
// change at each turn.
void DrawStream(std::span<const std::uint8_t> design, const DesignHeader& header, Raster& canvas,
                std::int64_t scale) {
    StitchWalk walk(design, header.stitchOffset(), scale, canvas.width(), canvas.height());
    std::uint64_t nextEntry = 0;
    canvas.setPen(ThumbnailCodeColor(EntryCode(design, header, nextEntry++)));
    for (auto turn = StitchWalk::Turn::kMove; turn != StitchWalk::Turn::kEnd; turn = walk.turn()) {
        if (turn == StitchWalk::Turn::kMove) {
            const Raster::Vertex at = walk.here();
            canvas.moveTo(at.x, at.y);
        } else {
            canvas.setPen(ThumbnailCodeColor(EntryCode(design, header, nextEntry++)));
        }
        for (Raster::Vertex beyond; canvas.nearLinesTo(walk, beyond);) canvas.lineTo(beyond.x, beyond.y);
    }
}

Raster DrawThumbnail(std::span<const std::uint8_t> design, const DesignHeader& header,
                     const ThumbnailGeometry& g) {
    const std::int64_t s = ThumbnailScale(g, header.extentX1(), header.extentY1(),
                                          header.extentX2(), header.extentY2());
    Raster canvas(g.width, g.height, ThumbnailCodeColor(kThumbnailBackground));
    DrawStream(design, header, canvas, s);
    return canvas;
}

void PutBody(std::span<std::uint8_t> body, const Raster& canvas, const ThumbnailGeometry& g) {
    for (int x = 0; x < g.width; ++x) {
        auto column = body.subspan(static_cast<std::size_t>(x * g.columnSize));
        for (int y = 0; y < g.height; ++y)
            column[static_cast<std::size_t>(g.height - 1 - y)] = ThumbnailColorCode(canvas.pixel(x, y));
    }
}

ThumbnailRecord Assemble(const DesignHeader& header, const Raster& canvas, const ThumbnailGeometry& g) {
    const std::size_t bodySize = static_cast<std::size_t>(g.width * g.columnSize);
    ThumbnailRecord record(kThumbnailHeaderSize + bodySize + kThumbnailTrailerSize, 0);
    std::span<std::uint8_t> bytes(record);
    std::copy(kSignature.begin(), kSignature.end(), bytes.begin());
    bytes[record_offset::kMarker] = kMarker;
    WriteU32BE(bytes, record_offset::kHoopCode, header.hoopCode());
    bytes[record_offset::kPairMark] = header.pairLetter();
    bytes[record_offset::kPairMark + 1] = header.pairCompanion();
    WriteU32BE(bytes, record_offset::kBodySize, static_cast<std::uint32_t>(bodySize + kThumbnailTrailerSize));
    PutBody(bytes.subspan(kThumbnailHeaderSize, bodySize), canvas, g);
    const std::size_t trailer = kThumbnailHeaderSize + bodySize;
    WriteU32BE(bytes, trailer, static_cast<std::uint32_t>(g.height));
    WriteU32BE(bytes, trailer + 4, static_cast<std::uint32_t>(g.width));
    WriteU32BE(bytes, trailer + 8, static_cast<std::uint32_t>(g.columnSize));
    return record;
}

}  // namespace

const std::array<std::uint8_t, 79> kThumbnailThreadCodes{
    0x00, 0x00, 0xFF, 0xFB, 0x21, 0x1D, 0x1C, 0xB8, 0x7F, 0x69,  //
    0x14, 0x1F, 0x7C, 0x51, 0x10, 0xD9, 0x74, 0x93, 0x6F, 0x49,  //
    0x12, 0xDF, 0x53, 0xF7, 0xF8, 0x72, 0xC0, 0xB2, 0x64, 0x65,  //
    0x34, 0x4A, 0x44, 0x21, 0x6E, 0x6D, 0x74, 0x2D, 0xDA, 0x5D,  //
    0x36, 0x35, 0x19, 0x73, 0x24, 0x47, 0x1C, 0x77, 0x23, 0x22,  //
    0xF5, 0xBC, 0x1F, 0x26, 0x01, 0x18, 0x11, 0x17, 0x11, 0x5F,  //
    0x58, 0xAC, 0x79, 0x39, 0x86, 0x37, 0x17, 0x23, 0x2C, 0x0C,  //
    0x25, 0x27, 0x03, 0x33, 0x15, 0x22, 0x88, 0x0D, 0x0E,
};

std::optional<ThumbnailGeometry> FindThumbnailGeometry(std::uint32_t hoopCode) {
    if (hoopCode >= kGeometries.size()) return std::nullopt;
    return kGeometries[hoopCode];
}

std::uint8_t ThumbnailThreadCode(std::int32_t tableEntry) {
    if (tableEntry < 0 || static_cast<std::size_t>(tableEntry) >= kThumbnailThreadCodes.size())
        return kThumbnailMissingColor;
    return kThumbnailThreadCodes[static_cast<std::size_t>(tableEntry)];
}

int ThumbnailScale(const ThumbnailGeometry& g, std::int32_t extentX1, std::int32_t extentY1,
                   std::int32_t extentX2, std::int32_t extentY2) {
    std::int64_t s = std::max(CeilDiv(g.areaWidth, g.width), CeilDiv(g.areaHeight, g.height));
    // The design's size in tenths of the hoop; below nine tenths it is drawn larger.
    const std::int64_t rx = (std::int64_t{extentX1} + extentX2) * 10 / g.areaWidth;
    const std::int64_t ry = (std::int64_t{extentY1} + extentY2) * 10 / g.areaHeight;
    const std::int64_t r = std::max(rx, ry);
    if (r <= 8) s = s * 100 / (150 - 6 * std::max<std::int64_t>(r, 0));
    return static_cast<int>(std::max<std::int64_t>(s, 1));
}

std::optional<ThumbnailRecord> MakeThumbnailRecord(std::span<const std::uint8_t> design) {
    auto header = DesignHeader::parse(design);
    if (!header) return std::nullopt;
    auto geometry = FindThumbnailGeometry(header->hoopCode());
    if (!geometry) return std::nullopt;
    return Assemble(*header, DrawThumbnail(design, *header, *geometry), *geometry);
}

}  // namespace kx
