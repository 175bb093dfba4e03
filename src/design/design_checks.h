// The checks a design passes before it goes to the card: its name, record count, hoop and
// tandem-hoop pair mark. None of them shows a message; callers word their own refusals.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "design/design_file.h"
#include "design/design_header.h"
#include "design/hoop.h"

namespace kx {

// The most records a design on the card may hold.
inline constexpr std::int32_t kCardRecordLimit = 65535;

// True when the path's extension is "kxd" in any case; trailing dots are ignored.
bool IsDesignFileName(std::string_view path);

// The header with its hoop code set (classified when none is stored) and its margins
// recomputed, or nothing when no hoop holds the design.
std::optional<DesignHeader> NormalizedHoopFields(const DesignHeader& header);

// Normalises the header of a design file held in memory and writes it back over the file's
// start, only when the hoop code or a margin changes (a header already normalised leaves the
// file's time stamp alone). False when the header cannot be read, no hoop fits (the file is
// left as it is), or the file cannot be opened to write; a write that comes up short counts as
// done.
bool NormalizeHoopFields(DesignFileInMemory& file);

// For a design held in memory: a hoop code of 0 becomes hoop A(F) unclassified, and the
// margins are recomputed. A design shorter than its header is left alone.
void NormalizeHoopFieldsInMemory(DesignHeader& header);
void NormalizeHoopFieldsInMemory(std::span<std::uint8_t> design);

// True when the name without folder and extension ends in "1" or "2".
bool IsPairPartName(std::string_view path);

// True when the header carries a pair mark and the design will be stored under a pair name
// (`targetName`). Otherwise the mark is cleared in the header: a marked design going under
// another name stops being a pair half. The other forms store the cleared mark where the design
// lives.
bool CheckPairPart(DesignHeader& header, std::string_view targetName);
// The same on a design file held in memory: a cleared mark is written back over the file's
// start and the answer does not depend on whether that write succeeded.
bool CheckPairPart(DesignFileInMemory& file, std::string_view targetName);

// True when recordCount is 0 or less: it counts not even the end record, so it can never match
// the stream. The conversion refuses such a design and verify names it.
bool CountsNoRecords(const DesignHeader& header);

// True when the file's recordCount is above `limit`; false when it cannot be read.
bool ExceedsRecordLimit(const std::string& path, std::int32_t limit);
// The same over the start of a design's bytes; false when they do not reach the field.
bool ExceedsRecordLimit(std::span<const std::uint8_t> designStart, std::int32_t limit);

// The hoop and pair-mark checks over a design held in memory, whose header they change in
// place. A design shorter than its header has no hoop and no pair mark.
bool NormalizeHoopFields(std::span<std::uint8_t> design);
bool CheckPairPart(std::span<std::uint8_t> design, std::string_view targetName);

// Where a design's stitch stream falls short of what its header says, as a copy cut off by a
// pulled card or a lost power leaves it: Whole when it does not.
enum class StreamShortfall {
    Whole,
    ShorterThanHeader,    // not even the 116 header bytes
    StartOutsideFile,     // the stream would start inside the header or past the file's end
    CountBeyondFile,      // recordCount records do not fit between the stream's start and the end
    NoEndRecord,          // the records run out before the end record
};
StreamShortfall CheckStreamWhole(std::span<const std::uint8_t> design);

}  // namespace kx
