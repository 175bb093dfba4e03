// The 116-byte header at the start of every design file, read and written as one block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "design/byte_order.h"

namespace kx {

inline constexpr std::size_t kDesignHeaderSize = 116;
// The colour table follows the header directly: `colorCount` entries of 4 bytes.
inline constexpr std::size_t kColorTableOffset = kDesignHeaderSize;
inline constexpr std::size_t kColorEntrySize = 4;

// Byte offsets of the interpreted fields, all little-endian. The bytes in between
// (0x04..0x15, 0x44..0x73) have no meaning here and travel through unchanged.
namespace header_offset {
inline constexpr std::size_t kStitchOffset = 0x00;
inline constexpr std::size_t kPairLetter = 0x16;
inline constexpr std::size_t kPairCompanion = 0x17;
inline constexpr std::size_t kColorCount = 0x18;
inline constexpr std::size_t kRecordCount = 0x1C;
inline constexpr std::size_t kHoopCode = 0x20;
inline constexpr std::size_t kExtentX1 = 0x24;
inline constexpr std::size_t kExtentY1 = 0x28;
inline constexpr std::size_t kExtentX2 = 0x2C;
inline constexpr std::size_t kExtentY2 = 0x30;
inline constexpr std::size_t kMarginX1 = 0x34;
inline constexpr std::size_t kMarginY1 = 0x38;
inline constexpr std::size_t kMarginX2 = 0x3C;
inline constexpr std::size_t kMarginY2 = 0x40;
}  // namespace header_offset

class DesignHeader {
public:
    DesignHeader() = default;  // every byte zero

    // The first 116 bytes of a design file, or nothing when fewer are given.
    static std::optional<DesignHeader> parse(std::span<const std::uint8_t> file);
    std::span<const std::uint8_t, kDesignHeaderSize> bytes() const { return bytes_; }
    // Puts the 116 bytes over the start of `file`; false, writing nothing, when it is shorter.
    bool storeInto(std::span<std::uint8_t> file) const;

    std::uint32_t stitchOffset() const { return u32<header_offset::kStitchOffset>(); }
    void setStitchOffset(std::uint32_t v) { setU32<header_offset::kStitchOffset>(v); }

    // The tandem-hoop pair mark: a letter byte and its companion, cleared together.
    std::uint8_t pairLetter() const { return bytes_[header_offset::kPairLetter]; }
    std::uint8_t pairCompanion() const { return bytes_[header_offset::kPairCompanion]; }
    void setPairMark(std::uint8_t letter, std::uint8_t companion);
    void clearPairMark() { setPairMark(0, 0); }
    // Only an upper-case letter A..Z marks a pair half.
    bool hasPairMark() const { return pairLetter() >= 'A' && pairLetter() <= 'Z'; }

    std::uint32_t colorCount() const { return u32<header_offset::kColorCount>(); }
    void setColorCount(std::uint32_t v) { setU32<header_offset::kColorCount>(v); }
    std::int32_t recordCount() const { return i32<header_offset::kRecordCount>(); }
    void setRecordCount(std::int32_t v) { setI32<header_offset::kRecordCount>(v); }
    std::uint32_t hoopCode() const { return u32<header_offset::kHoopCode>(); }
    void setHoopCode(std::uint32_t v) { setU32<header_offset::kHoopCode>(v); }

    std::int32_t extentX1() const { return i32<header_offset::kExtentX1>(); }
    std::int32_t extentY1() const { return i32<header_offset::kExtentY1>(); }
    std::int32_t extentX2() const { return i32<header_offset::kExtentX2>(); }
    std::int32_t extentY2() const { return i32<header_offset::kExtentY2>(); }
    void setExtentX1(std::int32_t v) { setI32<header_offset::kExtentX1>(v); }
    void setExtentY1(std::int32_t v) { setI32<header_offset::kExtentY1>(v); }
    void setExtentX2(std::int32_t v) { setI32<header_offset::kExtentX2>(v); }
    void setExtentY2(std::int32_t v) { setI32<header_offset::kExtentY2>(v); }

    std::int32_t marginX1() const { return i32<header_offset::kMarginX1>(); }
    std::int32_t marginY1() const { return i32<header_offset::kMarginY1>(); }
    std::int32_t marginX2() const { return i32<header_offset::kMarginX2>(); }
    std::int32_t marginY2() const { return i32<header_offset::kMarginY2>(); }
    void setMarginX1(std::int32_t v) { setI32<header_offset::kMarginX1>(v); }
    void setMarginY1(std::int32_t v) { setI32<header_offset::kMarginY1>(v); }
    void setMarginX2(std::int32_t v) { setI32<header_offset::kMarginX2>(v); }
    void setMarginY2(std::int32_t v) { setI32<header_offset::kMarginY2>(v); }

    friend bool operator==(const DesignHeader&, const DesignHeader&) = default;

private:
    template <std::size_t At>
    std::uint32_t u32() const {
        return LoadU32LE(std::span(bytes_).template subspan<At, 4>());
    }
    template <std::size_t At>
    std::int32_t i32() const {
        return AsSigned(u32<At>());
    }
    template <std::size_t At>
    void setU32(std::uint32_t v) {
        StoreU32LE(std::span(bytes_).template subspan<At, 4>(), v);
    }
    template <std::size_t At>
    void setI32(std::int32_t v) {
        setU32<At>(static_cast<std::uint32_t>(v));
    }

    std::array<std::uint8_t, kDesignHeaderSize> bytes_{};
};

}  // namespace kx
