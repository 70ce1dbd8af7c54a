#include "engine/strokes.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "engine/engine_state.h"
#include "engine/stroke_batch.h"
#include "engine/stroke_geometry.h"

namespace oru::engine {

namespace {

// Queues quads of corners placed by turning them (cosine c, sine s) and then
// moving them to (x, y), in the current colour. The arithmetic is what the
// library's own translate and rotate would do with these corners.
template <std::size_t N>
void queueQuads(const std::array<QuadCorner, N>& quad, float x, float y, float c, float s) {
  StrokeVertex* out = queueStrokeCorners(static_cast<int>(N));
  const Color color = currentColor;
  for (const QuadCorner& corner : quad) {
    *out++ = {x + (c * corner.x - s * corner.y),
              y + (s * corner.x + c * corner.y),
              corner.s,
              corner.t,
              color.red,
              color.green,
              color.blue};
  }
}

void queuePoint(float x, float y) {
  const std::array<QuadCorner, 4> quad = pointQuad(halfLineWidth);
  StrokeVertex* out = queueStrokeCorners(4);
  const Color color = currentColor;
  for (const QuadCorner& corner : quad) {
    *out++ = {x + corner.x, y + corner.y, corner.s, corner.t, color.red, color.green, color.blue};
  }
}

}  // namespace

void drawPoint(float x, float y) {
  if (hasDrawingContext) queuePoint(x, y);
}

void drawLine(float x1, float y1, float x2, float y2) {
  if (!hasDrawingContext) return;
  LinePlacement line = placeLine(x1, y1, x2, y2, halfLineWidth);
  switch (line.kind) {
    case LinePlacement::Nothing:
      return;
    case LinePlacement::Spot:
      queuePoint(x1, y1);
      return;
    case LinePlacement::Band: {
      // The rotation's sine and cosine as the library works them out from degrees.
      const double radians = line.angle * 3.14159265358979323846 / 180.0;
      const float c = static_cast<float>(std::cos(radians));
      const float s = static_cast<float>(std::sin(radians));
      queueQuads(lineQuads(line.length, halfLineWidth), x1, y1, c, s);
      return;
    }
  }
}

}  // namespace oru::engine
