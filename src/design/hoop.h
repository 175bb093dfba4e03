// Hoop codes with their labels and the extent limits of each hoop, in one table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kx {

enum class HoopCode : int {
    None = -1,  // a classification result only, never stored
    C = 1,
    B = 2,
    AF = 3,
};

// The code as a header's hoopCode field holds it.
constexpr std::uint32_t StoredHoopCode(HoopCode code) { return static_cast<std::uint32_t>(code); }

struct Hoop {
    HoopCode code;
    std::string_view label;  // shown under the preview
    std::int32_t limitX;     // extentX1 and extentX2 must each be <= limitX
    std::int32_t limitY;     // extentY1 and extentY2 must each be <= limitY
};

// Smallest first: hoop C lies inside A(F), and A(F) inside B.
inline constexpr std::array<Hoop, 3> kHoops{{
    {HoopCode::C, "Hoop Size  C", 250, 250},
    {HoopCode::AF, "Hoop Size  A(F)", 630, 550},
    {HoopCode::B, "Hoop Size  B", 700, 1000},
}};

// The hoop a code names, or null for HoopCode::None.
constexpr const Hoop* FindHoop(HoopCode code) {
    for (const Hoop& hoop : kHoops)
        if (hoop.code == code) return &hoop;
    return nullptr;
}

// The hoop a stored code names, or null for codes that set no hoop (0 and anything but 1..3).
constexpr const Hoop* FindHoop(std::int64_t storedCode) {
    for (const Hoop& hoop : kHoops)
        if (StoredHoopCode(hoop.code) == storedCode) return &hoop;
    return nullptr;
}

// The four extents as signed values; negative reaches fit every hoop.
constexpr bool FitsHoop(const Hoop& hoop, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                        std::int32_t y2) {
    return x1 <= hoop.limitX && x2 <= hoop.limitX && y1 <= hoop.limitY && y2 <= hoop.limitY;
}

// The smallest hoop that holds the design, or HoopCode::None.
constexpr HoopCode ClassifyHoop(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    for (const Hoop& hoop : kHoops)
        if (FitsHoop(hoop, x1, y1, x2, y2)) return hoop.code;
    return HoopCode::None;
}

// The margins stored in a header always measure the room left inside this hoop.
inline constexpr const Hoop& kMarginHoop = kHoops[1];
static_assert(kMarginHoop.code == HoopCode::AF);

}  // namespace kx
