// Shape outlines sampled from their curves, the block alphabet, running and satin stitch.
#include "samples/shapes.h"

#include <cmath>
#include <numbers>

namespace kx::samples {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kCurveSamples = 72;

Point Rounded(double x, double y) {
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

// Samples a closed curve given as a function of the angle.
template <typename Curve>
Path SampleClosed(Curve curve, int samples) {
    Path path;
    for (int i = 0; i <= samples; ++i) path.push_back(curve(2 * kPi * i / samples));
    return path;
}

// An arc of the ellipse around `centre`, from `fromDegrees` to `toDegrees` (counter-clockwise).
Path Arc(Point centre, int rx, int ry, double fromDegrees, double toDegrees) {
    Path path;
    constexpr int kArcSamples = 16;
    for (int i = 0; i <= kArcSamples; ++i) {
        double a = (fromDegrees + (toDegrees - fromDegrees) * i / kArcSamples) * kPi / 180;
        path.push_back(Rounded(centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)));
    }
    return path;
}

Path Join(Path a, const Path& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Strokes on a 100 × 140 letter box.
std::vector<Path> LetterStrokes(char c) {
    switch (c) {
        case 'A': return {{{0, 0}, {50, 140}, {100, 0}}, {{22, 60}, {78, 60}}};
        case 'C': return {Arc({60, 70}, 60, 70, 45, 315)};
        case 'D': return {Join({{40, 0}, {0, 0}, {0, 140}, {40, 140}}, Arc({40, 70}, 60, 70, 90, -90))};
        case 'E': return {{{100, 140}, {0, 140}, {0, 0}, {100, 0}}, {{0, 70}, {70, 70}}};
        case 'I': return {{{50, 0}, {50, 140}}};
        case 'K': return {{{0, 0}, {0, 140}}, {{100, 140}, {0, 60}}, {{30, 85}, {100, 0}}};
        case 'L': return {{{0, 140}, {0, 0}, {100, 0}}};
        case 'O': return {Arc({50, 70}, 50, 70, 0, 360)};
        case 'R':
            return {Join(Join({{0, 0}, {0, 140}, {50, 140}}, Arc({50, 105}, 40, 35, 90, -90)), {{0, 70}}),
                    {{40, 70}, {100, 0}}};
        case 'S': return {Join(Arc({50, 105}, 45, 35, 20, 270), Arc({50, 35}, 45, 35, 90, -160))};
        case 'T': return {{{0, 140}, {100, 140}}, {{50, 140}, {50, 0}}};
        case 'V': return {{{0, 140}, {50, 0}, {100, 140}}};
        case 'X': return {{{0, 0}, {100, 140}}, {{0, 140}, {100, 0}}};
        default: return {};
    }
}

double Length(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

Path HeartOutline(int width) {
    // The classic heart curve spans 32 units across; scaled to the width asked for.
    double k = width / 32.0;
    return SampleClosed(
        [k](double t) {
            double x = 16 * std::pow(std::sin(t), 3);
            double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
            return Rounded(k * x, k * (y + 2));
        },
        kCurveSamples);
}

Path StarOutline(int outerRadius, int innerRadius, int points) {
    Path path;
    for (int i = 0; i <= 2 * points; ++i) {
        double a = kPi / 2 + kPi * i / points;
        int r = i % 2 == 0 ? outerRadius : innerRadius;
        path.push_back(Rounded(r * std::cos(a), r * std::sin(a)));
    }
    return path;
}

Path CircleOutline(Point centre, int radius) {
    return SampleClosed(
        [&](double t) { return Rounded(centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)); },
        kCurveSamples / 2);
}

Path FlowerOutline(int radius, int petals) {
    return SampleClosed(
        [&](double t) {
            double r = radius * std::abs(std::cos(petals * t / 2));
            return Rounded(r * std::cos(t), r * std::sin(t));
        },
        kCurveSamples * 2);
}

std::vector<Path> WordStrokes(std::string_view word, Point origin, int height) {
    std::vector<Path> strokes;
    double k = height / 140.0;
    int advance = static_cast<int>(std::lround(130 * k));
    for (std::size_t i = 0; i < word.size(); ++i) {
        for (Path stroke : LetterStrokes(word[i])) {
            for (Point& p : stroke)
                p = Rounded(origin.x + static_cast<int>(i) * advance + p.x * k, origin.y + p.y * k);
            strokes.push_back(std::move(stroke));
        }
    }
    return strokes;
}

void RunAlong(DesignWriter& writer, const Path& path, int stitchLength) {
    if (path.empty()) return;
    writer.moveTo(path.front());
    for (std::size_t i = 1; i < path.size(); ++i) {
        Point a = path[i - 1], b = path[i];
        int steps = std::max(1, static_cast<int>(Length(a, b) / stitchLength));
        for (int s = 1; s <= steps; ++s)
            writer.stitchTo({a.x + (b.x - a.x) * s / steps, a.y + (b.y - a.y) * s / steps});
    }
}

void SatinAlong(DesignWriter& writer, const Path& path, int width, int spacing) {
    if (path.size() < 2) return;
    bool left = true;
    bool started = false;
    for (std::size_t i = 1; i < path.size(); ++i) {
        Point a = path[i - 1], b = path[i];
        double length = Length(a, b);
        if (length == 0) continue;
        // The unit normal of the segment carries the throws to either side of the path.
        double nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
        int throws = std::max(1, static_cast<int>(length / spacing));
        for (int s = 0; s < throws; ++s) {
            double t = static_cast<double>(s) / throws;
            double side = (left ? 0.5 : -0.5) * width;
            Point p = Rounded(a.x + (b.x - a.x) * t + nx * side, a.y + (b.y - a.y) * t + ny * side);
            if (!started) {
                writer.moveTo(p);
                started = true;
            } else {
                writer.stitchTo(p);
            }
            left = !left;
        }
    }
    writer.stitchTo(path.back());
}

}  // namespace kx::samples
