#pragma once

// Geometry of the glow strokes: the textured quads that drawPoint and drawLine
// submit, and where a line is placed. Pure arithmetic, no drawing calls, so the
// GL code can send these corners as they are.

#include <array>

namespace oru::engine {

// One quad corner: position (x, y) in the stroke's local frame and texture
// coordinates (s, t) into the glow texture.
struct QuadCorner {
  float x, y, s, t;
};

// The four corners of a point's quad around the origin, in drawing order;
// w is the half line width.
std::array<QuadCorner, 4> pointQuad(float w);

// The twelve corners (start cap, body, end cap) of a line running along the
// x axis from 0 to length, in drawing order; w is the half line width.
std::array<QuadCorner, 12> lineQuads(float length, float w);

// How a line from (x1, y1) to (x2, y2) is drawn.
struct LinePlacement {
  enum Kind {
    Nothing,  // Length or angle not finite: draw nothing.
    Spot,     // Shorter than its width: a point at (x1, y1).
    Band      // lineQuads(length, w) rotated by angle degrees at (x1, y1).
  } kind;
  float length;
  float angle;
};

// Decides how to draw a line from (x1, y1) to (x2, y2) with half width w, and
// computes its length and its angle in degrees.
LinePlacement placeLine(float x1, float y1, float x2, float y2, float w);

}  // namespace oru::engine
