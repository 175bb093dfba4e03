// Bringing a design's stitch stream into the form the card takes: a leading move, no
// second-form moves, colour changes split from their displacement, nothing after the end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct CardConversion {
    enum class Outcome {
        Converted,  // `bytes` holds the design in the card's form
        PlainCopy,  // the stream cannot be interpreted: the design goes over unchanged
        Refused,    // `refusal` says why
    };
    enum class Refusal {
        None,
        EmptyFile,
        RecordLimit,         // more than kCardRecordLimit records after conversion
        RecordsUnplaceable,  // the stream's colour changes do not read the same both ways
        RecordCount,         // a recordCount of 0 or less counts not even the end record
    };

    Outcome outcome = Outcome::Refused;
    Refusal refusal = Refusal::None;
    std::vector<std::uint8_t> bytes;
};

// Why a design was refused, in a line of its own ("The file is empty").
const char* RefusalReason(CardConversion::Refusal refusal);

// The whole conversion over a design file's bytes, in memory: nothing outside is touched, so
// commands running at once never see each other's designs.
CardConversion ConvertDesignForCard(std::span<const std::uint8_t> design);

// The two growing steps, over a work buffer holding a whole design whose stream runs from
// stitchOffset to the end of the buffer. Each raises recordCount by the records it adds and
// answers false, leaving the buffer as it was, when the record limit would be passed or the
// records cannot be placed.
bool InsertLeadingMove(std::vector<std::uint8_t>& work);
// `recordsToAdd` is twice the number of colour changes with a non-zero displacement; the
// buffer must end with the end record.
bool SplitColorChanges(std::vector<std::uint8_t>& work, std::int64_t recordsToAdd);

}  // namespace kx
