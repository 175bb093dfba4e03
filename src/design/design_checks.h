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

// The rule for designs from PC files, which may refuse: a hoop code other than 1, 2 or 3 is
// replaced by the smallest hoop that holds the extents, and the margins are recomputed against
// hoop A(F) (all four -1 when one is negative); nothing when no hoop holds the design. Pure: the core of both
// NormalizeHoopFieldsForPcDesign below and of verify's repair.
std::optional<DesignHeader> NormalizedHoopFieldsForPcDesign(const DesignHeader& header);

// The PC rule over a design's bytes in memory (the converted copy of the main write): the
// header is overwritten in the bytes and nothing is written to a file. False, the bytes
// unchanged, when no hoop holds the design or they are shorter than a header.
bool NormalizeHoopFieldsForPcDesign(std::span<std::uint8_t> design);
// The PC rule over a design file held in memory (a listed PC file of the direct files write):
// the header is written back over the file's start, only when the hoop code or a margin
// changes (a header already normalised leaves the file's time stamp alone), and into memory as
// far as it reached the file. False when the header cannot be read, no hoop fits (the file is
// left as it is) or the file cannot be opened to write; a write that comes up short counts as
// done.
bool NormalizeHoopFieldsForPcDesign(DesignFileInMemory& file);

// The rule for the host's design, which never refuses and never classifies: a hoop code of 0
// becomes hoop A(F) whatever the extents, any other code stays (even one that names no hoop),
// and the margins are recomputed as above. Changes the header, or the design's bytes in place (a
// design shorter than its header is left alone); nothing is written to a file.
void NormalizeHoopFieldsForHostDesign(DesignHeader& header);
void NormalizeHoopFieldsForHostDesign(std::span<std::uint8_t> design);

// True when the name without folder and extension ends in "1" or "2".
bool IsPairPartName(std::string_view path);

// True when the header carries a pair mark and `targetName`, the name the design gets on the
// card, is a pair name: a pair half, stored without a thumbnail. Otherwise a mark it carries is
// cleared (both pair-mark bytes set to 0), so a marked design stored under another name stops
// being a pair half.
bool CheckPairPart(DesignHeader& header, std::string_view targetName);
// The same, and a cleared mark is stored where the design lives: in its bytes in memory (bytes
// shorter than a header hold no pair half and stay as they are)...
bool CheckPairPart(std::span<std::uint8_t> design, std::string_view targetName);
// ...or, for a design file held in memory (a listed PC file of the direct files write), written
// over the file's start, changing the user's file, and into memory as far as it reached the
// file. The answer does not depend on whether that write succeeded.
bool CheckPairPart(DesignFileInMemory& file, std::string_view targetName);

// True when recordCount is 0 or less: it counts not even the end record, so it can never match
// the stream. The conversion refuses such a design and verify names it.
bool CountsNoRecords(const DesignHeader& header);

// True when the file's recordCount is above `limit`; false when it cannot be read.
bool ExceedsRecordLimit(const std::string& path, std::int32_t limit);
// The same over the start of a design's bytes; false when they do not reach the field.
bool ExceedsRecordLimit(std::span<const std::uint8_t> designStart, std::int32_t limit);

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
// True when the bytes end before what the header says they hold, or the header puts the stream
// where none can be: a copy cut off rather than a design. A stream that only lacks its end
// record (every counted record there) is not torn: the write stores such a PC design as it is.
bool IsTorn(StreamShortfall shortfall);

}  // namespace kx
