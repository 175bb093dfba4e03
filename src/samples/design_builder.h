// Builds design files record by record, with header fields computed or overridden: the low
// level under the sample designs and the tests' design builder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "design/design_header.h"
#include "design/stitch_stream.h"

namespace kx::samples {

// A design file in the making: header, colour table, stitch stream, trailing bytes.
//
//   std::vector<std::uint8_t> file = DesignBuilder()
//       .colors({3, 7})
//       .stitch(10, 0).stitch(0, 10)
//       .colorChange(5, 3)          // 0x80 0x01, then the displacement 5, 3
//       .move(-4, 2)                // 0x80 0x02
//       .end()                      // 0x80 0x10
//       .bytes();
//
// Fields computed unless overridden:
//   colorCount   = the colours added;
//   stitchOffset = 0x74 + 4 x colours (the stream follows the colour table);
//   recordCount  = the stream's 2-byte records through the first end record (all of them when
//                  there is none);
//   extents      = the reach of the needle's walk from the origin over stitches, moves and
//                  colour-change displacements: extentX1 to the right, extentX2 to the left,
//                  extentY1 up, extentY2 down (each 0 or more);
//   hoopCode and the margins = 0, a design never normalised (see normalized()).
// Overriding a field changes only the field: the bytes stay where the builder puts them, so a
// stitchOffset past the end or a recordCount that disagrees with the stream is easy to make.
// Displacements are signed bytes (-128..127).
class DesignBuilder {
public:
    // The colour table.
    DesignBuilder& color(std::uint32_t entry);
    DesignBuilder& colors(std::initializer_list<std::uint32_t> entries);

    // The stitch stream.
    DesignBuilder& stitch(int dx, int dy);
    DesignBuilder& stitches(int count, int dx, int dy);
    DesignBuilder& move(int dx, int dy);                  // 0x80 0x02, dx dy
    DesignBuilder& moveSecondForm(int dx, int dy);        // 0x80 0x04, dx dy
    DesignBuilder& colorChange(int dx = 0, int dy = 0);   // 0x80 0x01, dx dy
    DesignBuilder& end();                                 // 0x80 0x10
    DesignBuilder& control(std::uint8_t code);            // 0x80 code, nothing walked
    DesignBuilder& control(ControlCode code) { return control(CodeByte(code)); }
    DesignBuilder& record(std::uint8_t first, std::uint8_t second);  // raw, nothing walked
    // Bytes after the stream that no record covers (an odd count makes an odd stream).
    DesignBuilder& trailing(std::initializer_list<std::uint8_t> bytes);

    // Header overrides.
    DesignBuilder& stitchOffset(std::uint32_t offset);
    DesignBuilder& colorCount(std::uint32_t count);
    DesignBuilder& recordCount(std::int32_t count);
    DesignBuilder& hoopCode(std::uint32_t code);
    DesignBuilder& extents(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    DesignBuilder& margins(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    DesignBuilder& pairMark(std::uint8_t letter, std::uint8_t companion = 0);
    // Any header byte, applied after every field (for the bytes the system carries unread).
    DesignBuilder& headerByte(std::size_t offset, std::uint8_t value);
    // Hoop code and margins as the system normalises them (hoop classified from the extents).
    DesignBuilder& normalized();

    DesignHeader header() const;
    // The needle's position after the records walked so far, and the number of records.
    int x() const { return x_; }
    int y() const { return y_; }
    std::size_t records() const { return stream_.size() / 2; }
    std::vector<std::uint8_t> stream() const { return stream_; }  // the records only
    std::vector<std::uint8_t> bytes() const;                      // the whole file

private:
    struct Extents {
        std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    };
    DesignBuilder& walked(std::uint8_t first, std::uint8_t second, int dx, int dy);
    Extents walkExtents() const;

    std::vector<std::uint32_t> colors_;
    std::vector<std::uint8_t> stream_;
    std::vector<std::uint8_t> trailing_;
    std::optional<std::size_t> endRecords_;  // records through the first end record
    int x_ = 0, y_ = 0, minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;

    std::optional<std::uint32_t> stitchOffset_, colorCount_, hoopCode_;
    std::optional<std::int32_t> recordCount_;
    std::optional<Extents> extents_, margins_;
    std::optional<std::pair<std::uint8_t, std::uint8_t>> pairMark_;
    std::vector<std::pair<std::size_t, std::uint8_t>> headerBytes_;
    bool normalized_ = false;
};

}  // namespace kx::samples
