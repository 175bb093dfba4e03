// The design builder: records, colour table and the header computed from them.
#include "samples/design_builder.h"

#include <algorithm>

#include "design/byte_order.h"
#include "design/design_checks.h"
#include "design/stitch_stream.h"

namespace kx::samples {

namespace {
std::uint8_t Byte(int signedValue) {
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(signedValue));
}
}  // namespace

DesignBuilder& DesignBuilder::color(std::uint32_t entry) {
    colors_.push_back(entry);
    return *this;
}

DesignBuilder& DesignBuilder::colors(std::initializer_list<std::uint32_t> entries) {
    colors_.insert(colors_.end(), entries);
    return *this;
}

DesignBuilder& DesignBuilder::walked(std::uint8_t first, std::uint8_t second, int dx, int dy) {
    record(first, second);
    x_ += dx;
    y_ += dy;
    minX_ = std::min(minX_, x_);
    maxX_ = std::max(maxX_, x_);
    minY_ = std::min(minY_, y_);
    maxY_ = std::max(maxY_, y_);
    return *this;
}

DesignBuilder& DesignBuilder::stitch(int dx, int dy) { return walked(Byte(dx), Byte(dy), dx, dy); }

DesignBuilder& DesignBuilder::stitches(int count, int dx, int dy) {
    for (int i = 0; i < count; ++i) stitch(dx, dy);
    return *this;
}

DesignBuilder& DesignBuilder::move(int dx, int dy) {
    return control(ControlCode::Move).walked(Byte(dx), Byte(dy), dx, dy);
}

DesignBuilder& DesignBuilder::moveSecondForm(int dx, int dy) {
    return control(ControlCode::MoveAlt).walked(Byte(dx), Byte(dy), dx, dy);
}

DesignBuilder& DesignBuilder::colorChange(int dx, int dy) {
    return control(ControlCode::ColorChange).walked(Byte(dx), Byte(dy), dx, dy);
}

DesignBuilder& DesignBuilder::end() {
    control(ControlCode::End);
    if (!endRecords_) endRecords_ = stream_.size() / kRecordSize;
    return *this;
}

DesignBuilder& DesignBuilder::control(std::uint8_t code) { return record(kControlMark, code); }

DesignBuilder& DesignBuilder::record(std::uint8_t first, std::uint8_t second) {
    stream_.push_back(first);
    stream_.push_back(second);
    return *this;
}

DesignBuilder& DesignBuilder::trailing(std::initializer_list<std::uint8_t> bytes) {
    trailing_.insert(trailing_.end(), bytes);
    return *this;
}

DesignBuilder& DesignBuilder::stitchOffset(std::uint32_t offset) {
    stitchOffset_ = offset;
    return *this;
}

DesignBuilder& DesignBuilder::colorCount(std::uint32_t count) {
    colorCount_ = count;
    return *this;
}

DesignBuilder& DesignBuilder::recordCount(std::int32_t count) {
    recordCount_ = count;
    return *this;
}

DesignBuilder& DesignBuilder::hoopCode(std::uint32_t code) {
    hoopCode_ = code;
    return *this;
}

DesignBuilder& DesignBuilder::extents(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    extents_ = Extents{x1, y1, x2, y2};
    return *this;
}

DesignBuilder& DesignBuilder::margins(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    margins_ = Extents{x1, y1, x2, y2};
    return *this;
}

DesignBuilder& DesignBuilder::pairMark(std::uint8_t letter, std::uint8_t companion) {
    pairMark_ = {letter, companion};
    return *this;
}

DesignBuilder& DesignBuilder::headerByte(std::size_t offset, std::uint8_t value) {
    headerBytes_.emplace_back(offset, value);
    return *this;
}

DesignBuilder& DesignBuilder::normalized() {
    normalized_ = true;
    return *this;
}

DesignBuilder::Extents DesignBuilder::walkExtents() const {
    return extents_.value_or(Extents{maxX_, maxY_, -minX_, -minY_});
}

DesignHeader DesignBuilder::header() const {
    DesignHeader h;
    h.setStitchOffset(stitchOffset_.value_or(
        static_cast<std::uint32_t>(kColorTableOffset + kColorEntrySize * colors_.size())));
    h.setColorCount(colorCount_.value_or(static_cast<std::uint32_t>(colors_.size())));
    h.setRecordCount(recordCount_.value_or(
        static_cast<std::int32_t>(endRecords_.value_or(stream_.size() / kRecordSize))));
    Extents e = walkExtents();
    h.setExtentX1(e.x1);
    h.setExtentY1(e.y1);
    h.setExtentX2(e.x2);
    h.setExtentY2(e.y2);
    if (normalized_) {
        if (auto n = NormalizedHoopFieldsForPcDesign(h)) h = *n;
    }
    if (hoopCode_) h.setHoopCode(*hoopCode_);
    if (margins_) {
        h.setMarginX1(margins_->x1);
        h.setMarginY1(margins_->y1);
        h.setMarginX2(margins_->x2);
        h.setMarginY2(margins_->y2);
    }
    if (pairMark_) h.setPairMark(pairMark_->first, pairMark_->second);
    if (headerBytes_.empty()) return h;
    std::vector<std::uint8_t> raw(h.bytes().begin(), h.bytes().end());
    for (auto [offset, value] : headerBytes_)
        if (offset < raw.size()) raw[offset] = value;
    return *DesignHeader::parse(raw);
}

std::vector<std::uint8_t> DesignBuilder::bytes() const {
    DesignHeader h = header();
    std::vector<std::uint8_t> file(h.bytes().begin(), h.bytes().end());
    for (std::uint32_t entry : colors_) {
        std::size_t at = file.size();
        file.resize(at + kColorEntrySize);
        WriteU32LE(file, at, entry);
    }
    file.insert(file.end(), stream_.begin(), stream_.end());
    file.insert(file.end(), trailing_.begin(), trailing_.end());
    return file;
}

}  // namespace kx::samples
