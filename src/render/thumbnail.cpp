// Builds the thumbnail record: the stitch stream walked onto a raster of code colours, then
// read back column by column from the bottom row.
#include "render/thumbnail.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string_view>

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

// The needle's walk over the stream, drawn at one pixel per `scale` stitch units.
class StreamWalk {
public:
    StreamWalk(Raster& canvas, std::int64_t scale, std::int64_t originX, std::int64_t originY)
        : canvas_(canvas), scale_(scale), x_(originX), y_(originY) {
        canvas_.moveTo(x_ / scale_, y_ / scale_);
    }

    void color(std::uint8_t code) { canvas_.setPen(ThumbnailCodeColor(code)); }
    void stitch(int dx, int dy) {
        step(dx, dy);
        penDown_ = true;
    }
    void move(int dx, int dy) {
        penDown_ = std::abs(dx) == kDrawnMoveStep || std::abs(dy) == kDrawnMoveStep;
        step(dx, dy);
    }

private:
    void step(int dx, int dy) {
        x_ += dx;
        y_ -= dy;
        if (penDown_)
            canvas_.lineTo(x_ / scale_, y_ / scale_);
        else
            canvas_.moveTo(x_ / scale_, y_ / scale_);
    }

    Raster& canvas_;
    std::int64_t scale_, x_, y_;
    bool penDown_ = false;
};

void WalkStream(std::span<const std::uint8_t> design, const DesignHeader& header, StreamWalk& walk) {
    std::uint64_t nextEntry = 1;
    walk.color(EntryCode(design, header, 0));
    std::size_t at = header.stitchOffset();
    while (FitsAt(design.size(), at, kRecordSize)) {
        const StitchRecord record{design[at], design[at + 1]};
        at += kRecordSize;
        if (!record.isControl()) {
            walk.stitch(record.dx(), record.dy());
        } else if (record.second == CONTROL_END) {
            return;
        } else if (record.second == CONTROL_COLOR_CHANGE) {
            // The displacement after it is walked as an ordinary stitch by the next turn.
            walk.color(EntryCode(design, header, nextEntry++));
        } else if (record.second == CONTROL_MOVE || record.second == CONTROL_MOVE_ALT) {
            if (!FitsAt(design.size(), at, kRecordSize)) return;
            const StitchRecord step{design[at], design[at + 1]};
            at += kRecordSize;
            walk.move(step.dx(), step.dy());
        }
    }
}

Raster DrawThumbnail(std::span<const std::uint8_t> design, const DesignHeader& header,
                     const ThumbnailGeometry& g) {
    const std::int64_t s = ThumbnailScale(g, header.extentX1(), header.extentY1(),
                                          header.extentX2(), header.extentY2());
    Raster canvas(g.width, g.height, ThumbnailCodeColor(kThumbnailBackground));
    StreamWalk walk(canvas, s, (g.width / 2) * s, (g.height / 2) * s);
    WalkStream(design, header, walk);
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

ThumbnailRecord& CurrentRecord() {
    static ThumbnailRecord current;
    return current;
}

std::span<const std::uint8_t> Hold(std::optional<ThumbnailRecord> record) {
    if (!record) return {};
    CurrentRecord() = std::move(*record);
    return CurrentRecord();
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

std::span<const std::uint8_t> BuildThumbnail(std::span<const std::uint8_t> design) {
    ReleaseThumbnail();
    return Hold(MakeThumbnailRecord(design));
}

std::span<const std::uint8_t> BuildThumbnailFromFile(const std::string& path) {
    ReleaseThumbnail();
    try {
        auto image = ReadWholeFile(path);
        if (!image || image->empty()) return {};
        return Hold(MakeThumbnailRecord(*image));
    } catch (const std::bad_alloc&) {
        return {};  // a file too big to hold in memory makes no thumbnail
    }
}

int ReleaseThumbnail() {
    ThumbnailRecord().swap(CurrentRecord());
    return 1;
}

}  // namespace kx
