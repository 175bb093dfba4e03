// The 2-byte records of a design's stitch stream and the control codes they carry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

inline constexpr std::size_t kRecordSize = 2;
// A record whose first byte is this is a control record; its second byte is the code.
inline constexpr std::uint8_t kControlMark = 0x80;

enum class ControlCode : std::uint8_t {
    ColorChange = 0x01,  // followed by a displacement record
    Move = 0x02,         // followed by a displacement record
    MoveAlt = 0x04,      // the second form of a move; the card takes only Move
    End = 0x10,          // the last record counted by recordCount
};

// The byte a control record carries for the code.
constexpr std::uint8_t CodeByte(ControlCode code) { return static_cast<std::uint8_t>(code); }
// A control record's second byte against a code (either way round, and with !=).
constexpr bool operator==(std::uint8_t byte, ControlCode code) { return byte == CodeByte(code); }

struct StitchRecord {
    std::uint8_t first = 0;
    std::uint8_t second = 0;

    static constexpr StitchRecord Control(ControlCode code) { return {kControlMark, CodeByte(code)}; }
    bool isControl() const { return first == kControlMark; }
    bool isControl(ControlCode code) const { return isControl() && second == code; }
    // A displacement of (0, 0).
    bool isZero() const { return first == 0 && second == 0; }
    // A stitch or parameter record's displacement, as signed bytes.
    std::int8_t dx() const { return static_cast<std::int8_t>(first); }
    std::int8_t dy() const { return static_cast<std::int8_t>(second); }
};

}  // namespace kx
