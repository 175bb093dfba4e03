// The 2-byte records of a design's stitch stream and the control codes they carry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

inline constexpr std::size_t kRecordSize = 2;
// A record whose first byte is this is a control record; its second byte is the code.
inline constexpr std::uint8_t kControlMark = 0x80;

enum ControlCode : std::uint8_t {
    CONTROL_COLOR_CHANGE = 0x01,  // followed by a displacement record
    CONTROL_MOVE = 0x02,          // followed by a displacement record
    CONTROL_MOVE_ALT = 0x04,      // the second form of a move; the card takes only CONTROL_MOVE
    CONTROL_END = 0x10,           // the last record counted by recordCount
};

struct StitchRecord {
    std::uint8_t first = 0;
    std::uint8_t second = 0;

    bool isControl() const { return first == kControlMark; }
    bool isControl(ControlCode code) const { return isControl() && second == code; }
    // A displacement of (0, 0).
    bool isZero() const { return first == 0 && second == 0; }
    // A stitch or parameter record's displacement, as signed bytes.
    std::int8_t dx() const { return static_cast<std::int8_t>(first); }
    std::int8_t dy() const { return static_cast<std::int8_t>(second); }
};

}  // namespace kx
