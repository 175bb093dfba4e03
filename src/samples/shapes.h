// Outlines of recognisable shapes in stitch units, and the two ways the samples sew a path.
#pragma once

#include <string_view>
#include <vector>

#include "samples/design_writer.h"

namespace kx::samples {

using Path = std::vector<Point>;

// Closed outlines (the last point repeats the first), centred on the origin.
Path HeartOutline(int width);
Path StarOutline(int outerRadius, int innerRadius, int points);
Path CircleOutline(Point centre, int radius);
// The petals of a flower as one closed curve through the centre.
Path FlowerOutline(int radius, int petals);

// The strokes of a word in a simple block alphabet (A, C, D, E, I, K, L, O, R, S, T, V, X; other
// characters leave a gap), each letter `height` tall, starting at `origin` (bottom left).
std::vector<Path> WordStrokes(std::string_view word, Point origin, int height);

// Moves to the path's start and sews a running stitch along it.
void RunAlong(DesignWriter& writer, const Path& path, int stitchLength);
// Moves to the path's start and sews a satin column `width` wide along it: a zigzag across the
// path, one throw every `spacing` units.
void SatinAlong(DesignWriter& writer, const Path& path, int width, int spacing);

}  // namespace kx::samples
