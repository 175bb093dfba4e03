// Splitting travel into records, and the header of a finished design.
#include "samples/design_writer.h"

#include <algorithm>
#include <cstdlib>

#include "design/design_checks.h"

namespace kx::samples {

namespace {

// Steps needed to cover the distance on both axes with at most `maxStep` each.
int StepsFor(int dx, int dy, int maxStep) {
    int longest = std::max(std::abs(dx), std::abs(dy));
    return std::max(1, (longest + maxStep - 1) / maxStep);
}

// Visits the points of a straight line cut into `steps` equal parts, each as a step from the last.
template <typename Emit>
void Subdivide(Point from, Point to, int steps, Emit emit) {
    Point last = from;
    for (int i = 1; i <= steps; ++i) {
        Point next{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        if (next == last) continue;
        emit(next.x - last.x, next.y - last.y);
        last = next;
    }
}

}  // namespace

DesignWriter::DesignWriter(std::uint32_t firstThread) { builder_.color(firstThread); }

void DesignWriter::startStream() {
    // The card's form begins with a move; a design that already does needs no growth.
    if (builder_.records() == 0) builder_.move(0, 0);
}

void DesignWriter::moveTo(Point to) {
    startStream();
    Point from = position();
    Subdivide(from, to, StepsFor(to.x - from.x, to.y - from.y, kMaxMoveStep),
              [&](int dx, int dy) { builder_.move(dx, dy); });
}

void DesignWriter::stitchTo(Point to) {
    startStream();
    Point from = position();
    Subdivide(from, to, StepsFor(to.x - from.x, to.y - from.y, kMaxStitchStep),
              [&](int dx, int dy) { builder_.stitch(dx, dy); });
}

bool DesignWriter::stitchBy(int dx, int dy) {
    if (std::abs(dx) > kMaxStitchStep || std::abs(dy) > kMaxStitchStep) return false;
    startStream();
    builder_.stitch(dx, dy);
    return true;
}

void DesignWriter::changeColour(std::uint32_t thread, Point shift) {
    startStream();
    Point target{position().x + shift.x, position().y + shift.y};
    builder_.color(thread).colorChange(std::clamp(shift.x, -kMaxStitchStep, kMaxStitchStep),
                                       std::clamp(shift.y, -kMaxStitchStep, kMaxStitchStep));
    moveTo(target);
}

void DesignWriter::setPairMark(std::uint8_t letter, std::uint8_t companion) {
    builder_.pairMark(letter, companion);
}

std::vector<std::uint8_t> DesignWriter::finish() const {
    DesignBuilder done = builder_;
    done.end().normalized();
    // Beyond every hoop is beyond hoop A(F) too, whose room the margins measure.
    if (!NormalizedHoopFieldsForPcDesign(done.header())) done.margins(-1, -1, -1, -1);
    return done.bytes();
}

}  // namespace kx::samples
