// Name, hoop, pair-mark and record-count checks on design headers and files.
#include "design/design_checks.h"

#include <algorithm>
#include <array>

#include "design/byte_order.h"
#include "design/stitch_stream.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {

namespace {

// The record-count check reads no more than the start of the file.
constexpr std::size_t kRecordLimitProbe = 256;

// The margins are 32-bit fields and are computed in 32 bits: for absurd negative extents the
// difference wraps, as it does in the machine's own arithmetic, instead of overflowing.
std::int32_t Margin(std::int32_t limit, std::int32_t extent) {
    return AsSigned(static_cast<std::uint32_t>(limit) - static_cast<std::uint32_t>(extent));
}

void SetMargins(DesignHeader& header) {
    std::array<std::int32_t, 4> margins{
        Margin(kMarginHoop.limitX, header.extentX1()),
        Margin(kMarginHoop.limitY, header.extentY1()),
        Margin(kMarginHoop.limitX, header.extentX2()),
        Margin(kMarginHoop.limitY, header.extentY2()),
    };
    if (std::any_of(margins.begin(), margins.end(), [](std::int32_t m) { return m < 0; })) margins.fill(-1);
    header.setMarginX1(margins[0]);
    header.setMarginY1(margins[1]);
    header.setMarginX2(margins[2]);
    header.setMarginY2(margins[3]);
}

}  // namespace

bool IsDesignFileName(std::string_view path) {
    path = path.substr(0, kMaxPath);
    std::string_view trimmed = path.substr(0, path.find_last_not_of('.') + 1);
    if (trimmed.empty()) return false;
    std::size_t dot = trimmed.rfind('.');
    std::string_view extension = dot == std::string_view::npos ? trimmed : trimmed.substr(dot + 1);
    // A path with no dot at all has no extension, even when it reads "kxd".
    if (extension.size() == path.size()) return false;
    return EqualsIgnoreCase(extension, "kxd");
}

std::optional<DesignHeader> NormalizedHoopFieldsForPcDesign(const DesignHeader& header) {
    DesignHeader normalized = header;
    if (!FindHoop(header.hoopCode())) {
        HoopCode code = ClassifyHoop(header.extentX1(), header.extentY1(), header.extentX2(),
                                     header.extentY2());
        if (code == HoopCode::None) return std::nullopt;
        normalized.setHoopCode(StoredHoopCode(code));
    }
    SetMargins(normalized);
    return normalized;
}

bool NormalizeHoopFieldsForPcDesign(DesignFileInMemory& file) {
    const auto& stored = file.header();
    if (!stored) return false;
    auto normalized = NormalizedHoopFieldsForPcDesign(*stored);
    if (!normalized) return false;
    // Only the hoop code and margins can differ: an unchanged file keeps its time stamp.
    if (*normalized == *stored) return true;
    return file.rewriteHeader(*normalized);
}

void NormalizeHoopFieldsForHostDesign(DesignHeader& header) {
    if (header.hoopCode() == 0) header.setHoopCode(StoredHoopCode(HoopCode::AF));
    SetMargins(header);
}

void NormalizeHoopFieldsForHostDesign(std::span<std::uint8_t> design) {
    auto header = DesignHeader::parse(design);
    if (!header) return;
    NormalizeHoopFieldsForHostDesign(*header);
    header->storeInto(design);
}

bool IsPairPartName(std::string_view path) {
    std::string base = SplitPath(path).base;
    return !base.empty() && (base.back() == '1' || base.back() == '2');
}

bool CheckPairPart(DesignHeader& header, std::string_view targetName) {
    if (!header.hasPairMark()) return false;
    if (IsPairPartName(targetName)) return true;
    header.clearPairMark();
    return false;
}

bool CheckPairPart(DesignFileInMemory& file, std::string_view targetName) {
    if (!file.header()) return false;
    DesignHeader header = *file.header();
    bool pair = CheckPairPart(header, targetName);
    if (header != *file.header()) file.rewriteHeader(header);
    return pair;
}

bool CheckPairPart(std::span<std::uint8_t> design, std::string_view targetName) {
    auto header = DesignHeader::parse(design);
    if (!header) return false;
    bool pair = CheckPairPart(*header, targetName);
    header->storeInto(design);
    return pair;
}

bool NormalizeHoopFieldsForPcDesign(std::span<std::uint8_t> design) {
    auto header = DesignHeader::parse(design);
    auto normalized = header ? NormalizedHoopFieldsForPcDesign(*header) : std::nullopt;
    if (!normalized) return false;
    normalized->storeInto(design);
    return true;
}

bool CountsNoRecords(const DesignHeader& header) { return header.recordCount() < 1; }

bool ExceedsRecordLimit(const std::string& path, std::int32_t limit) {
    auto file = platform().open(path, OpenMode::Read);
    if (!file) return false;
    std::array<std::uint8_t, kRecordLimitProbe> start{};
    auto got = file->read(start);
    if (!got) return false;
    return ExceedsRecordLimit(std::span(start).first(std::min(*got, start.size())), limit);
}

bool ExceedsRecordLimit(std::span<const std::uint8_t> designStart, std::int32_t limit) {
    auto recordCount = ReadI32LE(designStart, header_offset::kRecordCount);
    return recordCount && *recordCount > limit;
}

StreamShortfall CheckStreamWhole(std::span<const std::uint8_t> design) {
    auto header = DesignHeader::parse(design);
    if (!header) return StreamShortfall::ShorterThanHeader;
    const std::size_t start = header->stitchOffset();
    if (start < kDesignHeaderSize || start > design.size()) return StreamShortfall::StartOutsideFile;
    const std::size_t records = (design.size() - start) / kRecordSize;
    if (header->recordCount() > 0 && static_cast<std::size_t>(header->recordCount()) > records)
        return StreamShortfall::CountBeyondFile;
    for (std::size_t i = 0; i < records; ++i) {
        StitchRecord r{design[start + i * kRecordSize], design[start + i * kRecordSize + 1]};
        if (r.isControl(ControlCode::End)) return StreamShortfall::Whole;
        // A colour change and a move each carry their displacement in the next record.
        if (r.isControl(ControlCode::ColorChange) || r.isControl(ControlCode::Move) || r.isControl(ControlCode::MoveAlt)) ++i;
    }
    return StreamShortfall::NoEndRecord;
}

bool IsTorn(StreamShortfall shortfall) {
    return shortfall != StreamShortfall::Whole && shortfall != StreamShortfall::NoEndRecord;
}

}  // namespace kx
