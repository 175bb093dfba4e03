// The card conversion, over a design's bytes in memory.
#include "design/card_conversion.h"

#include <array>

#include "design/design_checks.h"
#include "design/design_header.h"
#include "design/stitch_stream.h"

namespace kx {

namespace {

constexpr std::array<std::uint8_t, 4> kLeadingMove{kControlMark, CodeByte(ControlCode::Move), 0x00, 0x00};
constexpr std::int64_t kLeadingMoveRecords = 2;
constexpr std::int64_t kRecordsPerSplit = 2;

// Bytes past the data read as zero, as in a zero-filled buffer larger than the file.
StitchRecord RecordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    StitchRecord r;
    if (at < bytes.size()) r.first = bytes[at];
    if (at + 1 < bytes.size()) r.second = bytes[at + 1];
    return r;
}

void PutRecord(std::span<std::uint8_t> bytes, std::size_t at, StitchRecord r) {
    bytes[at] = r.first;
    bytes[at + 1] = r.second;
}

// A stream that starts inside the header, or beyond the data, has no place to grow from.
std::optional<std::size_t> StreamStart(const DesignHeader& header, std::size_t size) {
    std::size_t start = header.stitchOffset();
    if (start < kDesignHeaderSize || start > size) return std::nullopt;
    return start;
}

bool WithinRecordLimit(const DesignHeader& header, std::int64_t recordsToAdd) {
    return std::int64_t{header.recordCount()} + recordsToAdd <= kCardRecordLimit;
}

void AddRecords(std::vector<std::uint8_t>& work, DesignHeader header, std::int64_t added) {
    header.setRecordCount(static_cast<std::int32_t>(header.recordCount() + added));
    header.storeInto(work);
}

bool StartsWithMove(std::span<const std::uint8_t> work, std::size_t start) {
    StitchRecord first = RecordAt(work, start);
    return first.isControl(ControlCode::Move) || first.isControl(ControlCode::MoveAlt);
}

struct StreamScan {
    std::optional<std::size_t> endOfStream;  // offset just past the end record
    std::int64_t recordsToAdd = 0;
};

// Walks the records up to the end record, rewriting second-form moves in place and counting
// the records that splitting the colour changes will add.
StreamScan ScanStream(std::span<std::uint8_t> work, std::size_t start) {
    StreamScan scan;
    for (std::size_t at = start; at + kRecordSize <= work.size(); at += kRecordSize) {
        StitchRecord r = RecordAt(work, at);
        if (r.isControl(ControlCode::End)) {
            scan.endOfStream = at + kRecordSize;
            break;
        }
        if (r.isControl(ControlCode::MoveAlt)) work[at + 1] = CodeByte(ControlCode::Move);
        if (r.isControl(ControlCode::ColorChange)) {
            at += kRecordSize;  // the parameter is a displacement, not a record of its own
            if (!RecordAt(work, at).isZero()) scan.recordsToAdd += kRecordsPerSplit;
        }
    }
    return scan;
}

// A colour change whose following record (its displacement) moves the needle.
bool NeedsSplit(std::span<const std::uint8_t> stream, std::size_t record, std::size_t records) {
    return RecordAt(stream, record * kRecordSize).isControl(ControlCode::ColorChange) &&
           record + 1 < records && !RecordAt(stream, (record + 1) * kRecordSize).isZero();
}

std::int64_t CountSplits(std::span<const std::uint8_t> stream, std::size_t records) {
    std::int64_t splits = 0;
    for (std::size_t i = 0; i < records; ++i) splits += NeedsSplit(stream, i, records) ? 1 : 0;
    return splits;
}

// Moves the records up from the end, so each is read before anything lands on it: the
// destination stays above the source until the last split closes the gap.
void SpreadRecords(std::span<std::uint8_t> stream, std::size_t records, std::size_t gap) {
    for (std::size_t src = records; gap > 0 && src-- > 0;) {
        std::size_t dst = src + gap;
        if (NeedsSplit(stream, src, records)) {
            PutRecord(stream, dst * kRecordSize, StitchRecord::Control(ControlCode::Move));
            PutRecord(stream, (dst - 1) * kRecordSize, {0x00, 0x00});
            PutRecord(stream, (dst - 2) * kRecordSize, StitchRecord::Control(ControlCode::ColorChange));
            gap -= kRecordsPerSplit;
        } else {
            PutRecord(stream, dst * kRecordSize, RecordAt(stream, src * kRecordSize));
        }
    }
}

CardConversion Refuse(CardConversion::Refusal why) {
    return {CardConversion::Outcome::Refused, why, {}};
}

CardConversion PlainCopy() {
    return {CardConversion::Outcome::PlainCopy, CardConversion::Refusal::None, {}};
}

}  // namespace

bool InsertLeadingMove(std::vector<std::uint8_t>& work) {
    auto header = DesignHeader::parse(work);
    if (!header) return false;
    auto start = StreamStart(*header, work.size());
    if (!start || !WithinRecordLimit(*header, kLeadingMoveRecords)) return false;
    work.insert(work.begin() + static_cast<std::ptrdiff_t>(*start), kLeadingMove.begin(), kLeadingMove.end());
    AddRecords(work, *header, kLeadingMoveRecords);
    return true;
}

// The walk goes by the records actually present, which end with the end record; a
// recordCount that disagrees is raised by the records added and otherwise left as it was.
bool SplitColorChanges(std::vector<std::uint8_t>& work, std::int64_t recordsToAdd) {
    auto header = DesignHeader::parse(work);
    if (!header || recordsToAdd < 0) return false;
    auto start = StreamStart(*header, work.size());
    if (!start || !WithinRecordLimit(*header, recordsToAdd)) return false;
    std::size_t streamBytes = work.size() - *start;
    if (streamBytes % kRecordSize != 0) return false;
    std::size_t records = streamBytes / kRecordSize;
    // Checked before anything moves, so a refusal leaves the buffer untouched.
    if (CountSplits(std::span(work).subspan(*start), records) * kRecordsPerSplit != recordsToAdd) return false;
    std::size_t gap = static_cast<std::size_t>(recordsToAdd);
    work.resize(work.size() + gap * kRecordSize);
    SpreadRecords(std::span(work).subspan(*start), records, gap);
    AddRecords(work, *header, recordsToAdd);
    return true;
}

const char* RefusalReason(CardConversion::Refusal refusal) {
    switch (refusal) {
        case CardConversion::Refusal::EmptyFile: return "The file is empty";
        case CardConversion::Refusal::RecordLimit: return "More than 65535 records once converted for the card";
        case CardConversion::Refusal::RecordsUnplaceable: return "Its colour changes cannot be converted for the card";
        case CardConversion::Refusal::RecordCount: return "Its record count is 0 or less, so it counts none of its records";
        case CardConversion::Refusal::None: break;
    }
    return "The design cannot be converted for the card";
}

CardConversion ConvertDesignForCard(std::span<const std::uint8_t> design) {
    using Refusal = CardConversion::Refusal;
    if (design.empty()) return Refuse(Refusal::EmptyFile);
    auto header = DesignHeader::parse(design);
    // The conversion and every reader after it go by recordCount, whatever the stream holds.
    if (header && CountsNoRecords(*header)) return Refuse(Refusal::RecordCount);
    std::optional<std::size_t> start = header ? StreamStart(*header, design.size()) : std::nullopt;
    if (!start) return PlainCopy();

    bool needsMove = !StartsWithMove(design, *start);
    std::vector<std::uint8_t> work;
    work.reserve(design.size() + (needsMove ? kLeadingMove.size() : 0));
    work.assign(design.begin(), design.end());
    if (needsMove && !InsertLeadingMove(work)) return Refuse(Refusal::RecordLimit);

    StreamScan scan = ScanStream(work, *start);
    if (!scan.endOfStream) return PlainCopy();
    work.resize(*scan.endOfStream);
    if (scan.recordsToAdd > 0) {
        std::int64_t added = (needsMove ? kLeadingMoveRecords : 0) + scan.recordsToAdd;
        if (!WithinRecordLimit(*header, added)) return Refuse(Refusal::RecordLimit);
        if (!SplitColorChanges(work, scan.recordsToAdd)) return Refuse(Refusal::RecordsUnplaceable);
    }
    return {CardConversion::Outcome::Converted, Refusal::None, std::move(work)};
}

}  // namespace kx
