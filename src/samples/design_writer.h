// Sews designs in absolute stitch units over the design builder: long travel split into
// records that stay in range, a stream that opens with a move, a header with its hoop set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "samples/design_builder.h"

namespace kx::samples {

struct Point {
    int x = 0;
    int y = 0;  // grows upward, as in the stitch records
    friend bool operator==(const Point&, const Point&) = default;
};

// The longest step one record carries. Moves stay below 119, the step the thumbnail draws as
// a sewn line, and both stay clear of -128, whose 0x80 would read as a control record.
inline constexpr int kMaxStitchStep = 60;
inline constexpr int kMaxMoveStep = 100;

class DesignWriter {
public:
    // `firstThread` is colour table entry 0: a thread code of the palette (1..78).
    explicit DesignWriter(std::uint32_t firstThread);

    // Travels without sewing, in as many move records as the distance needs.
    void moveTo(Point to);
    // Sews a straight line, in as many stitches as its length needs.
    void stitchTo(Point to);
    // Exactly one stitch record: false, emitting nothing, for a step beyond kMaxStitchStep.
    [[nodiscard]] bool stitchBy(int dx, int dy);
    // The next thread. A shift travels with the change in its parameter record (as far as one
    // record reaches; moves carry the rest).
    void changeColour(std::uint32_t thread, Point shift = {});
    // Marks the design as one half of a tandem-hoop pair.
    void setPairMark(std::uint8_t letter, std::uint8_t companion);

    Point position() const { return {builder_.x(), builder_.y()}; }
    // Records emitted so far, without the end record that finish() adds.
    std::size_t records() const { return builder_.records(); }

    // The whole file: header, colour table, stream and end record. The hoop code is the smallest
    // hoop that holds the design; a design no hoop holds keeps code 0 and margins of -1.
    std::vector<std::uint8_t> finish() const;

private:
    void startStream();

    DesignBuilder builder_;
};

}  // namespace kx::samples
