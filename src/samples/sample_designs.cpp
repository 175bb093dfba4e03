// The sample set and the seeded design generator.
#include "samples/sample_designs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "samples/shapes.h"

namespace kx::samples {

namespace {

// Thread codes of the palette.
enum Thread : std::uint32_t {
    BLACK = 1,
    YELLOW = 3,
    ORANGE = 4,
    DARK_GREEN = 5,
    GREEN = 6,
    PINK = 9,
    RED = 10,
    BLUE = 12,
    LIGHT_PINK = 17,
    LEAF_GREEN = 22,
    SKY_BLUE = 28,
    PURPLE = 40,
};

constexpr int kSatinSpacing = 4;
constexpr int kRunLength = 25;

std::vector<std::uint8_t> Heart() {
    DesignWriter w(RED);
    SatinAlong(w, HeartOutline(420), 26, kSatinSpacing);
    w.changeColour(LIGHT_PINK);
    RunAlong(w, HeartOutline(300), kRunLength);
    return w.finish();
}

std::vector<std::uint8_t> Star() {
    DesignWriter w(YELLOW);
    SatinAlong(w, StarOutline(520, 220, 5), 30, kSatinSpacing);
    w.changeColour(BLUE);
    RunAlong(w, StarOutline(380, 160, 5), kRunLength);
    w.changeColour(ORANGE);
    SatinAlong(w, CircleOutline({0, 0}, 70), 40, kSatinSpacing);
    return w.finish();
}

std::vector<std::uint8_t> Flower() {
    DesignWriter w(GREEN);
    SatinAlong(w, {{0, -620}, {-30, -300}, {0, 0}, {0, 250}}, 28, kSatinSpacing);
    w.changeColour(DARK_GREEN);
    RunAlong(w, {{-15, -380}, {-200, -300}, {-260, -180}, {-15, -330}}, kRunLength);
    RunAlong(w, {{-10, -200}, {190, -140}, {250, -20}, {-10, -150}}, kRunLength);
    w.changeColour(PINK);
    Path petals = FlowerOutline(360, 6);
    for (Point& p : petals) p.y += 300;
    SatinAlong(w, petals, 24, kSatinSpacing);
    w.changeColour(YELLOW);
    SatinAlong(w, CircleOutline({0, 300}, 70), 50, kSatinSpacing);
    return w.finish();
}

// Each letter in its own colour; the changes carry the shift to the next letter, which the card
// conversion splits off into a move of its own.
std::vector<std::uint8_t> Lettering() {
    const std::array<std::uint32_t, 4> threads{BLUE, RED, LEAF_GREEN, PURPLE};
    constexpr std::string_view kWord = "CARD";
    DesignWriter w(threads[0]);
    for (std::size_t i = 0; i < kWord.size(); ++i) {
        auto strokes = WordStrokes(kWord.substr(i, 1), {-540 + static_cast<int>(i) * 280, -150}, 300);
        if (i > 0 && !strokes.empty()) {
            Point start = strokes.front().front();
            w.changeColour(threads[i], {std::clamp(start.x - w.position().x, -40, 40), 0});
        }
        for (const Path& stroke : strokes) SatinAlong(w, stroke, 36, kSatinSpacing);
    }
    return w.finish();
}

// One half of a border of leaves on a wavy vine; the halves meet at x = 0.
std::vector<std::uint8_t> VineHalf(int side) {
    DesignWriter w(DARK_GREEN);
    Path vine;
    for (int x = 0; x <= 600; x += 20)
        vine.push_back({side * x, static_cast<int>(std::lround(120 * std::sin(x / 95.0)))});
    SatinAlong(w, vine, 22, kSatinSpacing);
    w.changeColour(LEAF_GREEN);
    for (std::size_t i = 3; i < vine.size(); i += 6) {
        Point v = vine[i];
        int up = i % 12 == 3 ? 1 : -1;
        RunAlong(w, {v, {v.x + side * 60, v.y + up * 130}, {v.x + side * 120, v.y + up * 40}, v}, kRunLength);
    }
    w.changeColour(RED);
    for (std::size_t i = 6; i < vine.size(); i += 12)
        SatinAlong(w, CircleOutline({vine[i].x, vine[i].y - 60}, 30), 24, kSatinSpacing);
    w.setPairMark('A', side > 0 ? 1 : 2);
    return w.finish();
}

std::vector<std::uint8_t> Giant() {
    DesignWriter w(SKY_BLUE);
    SatinAlong(w, StarOutline(900, 380, 6), 40, kSatinSpacing);
    w.changeColour(BLACK);
    RunAlong(w, CircleOutline({0, 0}, 300), kRunLength);
    return w.finish();
}

// A seeded walk of satin throws inside hoop A(F), turning back at its edges.
class SatinWalk {
public:
    explicit SatinWalk(std::uint32_t seed) : rng_(seed) {}

    std::uint32_t next(std::uint32_t n) { return static_cast<std::uint32_t>(rng_() % n); }
    Point spot() { return {static_cast<int>(next(1001)) - 500, static_cast<int>(next(861)) - 430}; }

    void restart(Point at) {
        x_ = at.x;
        y_ = at.y;
        heading_ = next(360) * std::numbers::pi / 180;
    }

    // The next throw, a step along the walk and half a column to alternate sides.
    Point throwPoint() {
        constexpr double kStep = 4;
        constexpr double kHalfWidth = 18;
        heading_ += (static_cast<double>(next(41)) - 20) * std::numbers::pi / 900;
        if (std::abs(x_) > 520 || std::abs(y_) > 460) heading_ = std::atan2(-y_, -x_);
        x_ += kStep * std::cos(heading_);
        y_ += kStep * std::sin(heading_);
        double side = (left_ = !left_) ? kHalfWidth : -kHalfWidth;
        return {static_cast<int>(std::lround(x_ - std::sin(heading_) * side)),
                static_cast<int>(std::lround(y_ + std::cos(heading_) * side))};
    }

private:
    std::mt19937 rng_;
    double x_ = 0, y_ = 0, heading_ = 0;
    bool left_ = false;
};

constexpr std::array<std::uint32_t, 12> kWalkThreads{
    RED, BLUE, YELLOW, GREEN, PINK, ORANGE, PURPLE, SKY_BLUE, BLACK, DARK_GREEN, LEAF_GREEN, LIGHT_PINK};

// Records a jump to `to` takes: two for each move record.
std::size_t JumpRecords(Point from, Point to) {
    int longest = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    return 2 * static_cast<std::size_t>(std::max(1, (longest + kMaxMoveStep - 1) / kMaxMoveStep));
}

}  // namespace

std::vector<std::uint8_t> GenerateDesign(std::size_t records, std::size_t colourChanges, std::uint32_t seed) {
    constexpr std::size_t kStartMove = 2, kColourChange = 2, kLeastPerColour = 4;
    std::size_t body = std::max<std::size_t>(records, 3) - 1;  // all but the end record
    colourChanges = std::min(colourChanges, (body - kStartMove) / (kColourChange + kLeastPerColour));

    SatinWalk walk(seed);
    DesignWriter w(kWalkThreads[walk.next(kWalkThreads.size())]);
    w.moveTo({0, 0});
    walk.restart({0, 0});
    std::size_t colours = colourChanges + 1;
    for (std::size_t c = 0; c < colours; ++c) {
        std::size_t target = kStartMove + (c + 1) * (body - kStartMove) / colours;
        if (c > 0) {
            w.changeColour(kWalkThreads[walk.next(kWalkThreads.size())]);
            Point start = walk.spot();
            if (w.records() + JumpRecords(w.position(), start) < target) {
                w.moveTo(start);
                walk.restart(start);
            }
        }
        while (w.records() < target) {
            Point p = walk.throwPoint();
            if (!w.stitchBy(p.x - w.position().x, p.y - w.position().y)) walk.restart(w.position());
        }
    }
    return w.finish();
}

std::vector<SampleDesign> MakeSampleDesigns() {
    return {
        {"HEART.kxd", "a heart in red satin with a pink running line inside (hoop C)", Heart()},
        {"STAR.kxd", "a five-pointed star in yellow, blue and orange (hoop A(F))", Star()},
        {"FLOWER.kxd", "a flower with stem and leaves in four colours (hoop B)", Flower()},
        {"CARD.kxd", "the word CARD, each letter in its own colour (hoop A(F))", Lettering()},
        {"TANDEM1.kxd", "left half of a vine border for the tandem hoop (pair mark A)", VineHalf(-1)},
        {"TANDEM2.kxd", "right half of the same border (pair mark A)", VineHalf(1)},
        {"GIANT.kxd", "a star too big for every hoop: the card refuses it", Giant()},
        {"FILL.kxd", "a fill of 66000 records, over the card's record limit: refused",
         GenerateDesign(66000, 24, 7)},
    };
}

}  // namespace kx::samples
