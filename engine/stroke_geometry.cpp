#include "engine/stroke_geometry.h"

#include <cmath>

namespace oru::engine {

std::array<QuadCorner, 4> pointQuad(float w) {
  // The point spot fills s 0.5-1, t 0-0.5; it is turned a quarter so that
  // its t axis runs along x.
  return {{{-w, -w, 0.5f, 0.5f}, {-w, +w, 1.0f, 0.5f}, {+w, +w, 1.0f, 0.0f}, {+w, -w, 0.5f, 0.0f}}};
}

std::array<QuadCorner, 12> lineQuads(float length, float w) {
  // Across the band s runs 0 to 0.5, the strip's cross-section. The caps use
  // the strip's rounded end (t 0-0.5), the end cap mirrored; the body
  // stretches the straight part (t 0.75 to 0.25) between them.
  const float l = length;
  return {{// Start cap.
           {-w, -w, 0.0f, 0.0f},
           {-w, +w, 0.5f, 0.0f},
           {+w, +w, 0.5f, 0.5f},
           {+w, -w, 0.0f, 0.5f},
           // Body.
           {+w, -w, 0.0f, 0.75f},
           {+w, +w, 0.5f, 0.75f},
           {l - w, +w, 0.5f, 0.25f},
           {l - w, -w, 0.0f, 0.25f},
           // End cap.
           {l + w, -w, 0.0f, 0.0f},
           {l + w, +w, 0.5f, 0.0f},
           {l - w, +w, 0.5f, 0.5f},
           {l - w, -w, 0.0f, 0.5f}}};
}

LinePlacement placeLine(float x1, float y1, float x2, float y2, float w) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  const double dxd = dx;
  const double dyd = dy;
  const float length = static_cast<float>(std::sqrt(dxd * dxd + dyd * dyd));
  // Checked before the width test so that a line without a finite length
  // (NaN or infinite coordinates) is never drawn, not even as a spot.
  if (!std::isfinite(length)) return {LinePlacement::Nothing, 0.0f, 0.0f};
  // A line shorter than its own width is drawn as a spot at its start.
  if (2.0f * w > length) return {LinePlacement::Spot, length, 0.0f};

  // Degrees use the single-precision pi, widened to double. For dx = 0 the
  // quotient is infinite and atan gives +-90 degrees; a zero-length line
  // (reachable only with w <= 0) gives 0/0 and is dropped below.
  const double pi = 3.14159274f;
  float angle = static_cast<float>(std::atan(dyd / dxd) / pi * 180.0);
  if (dx < 0.0f) angle += 180.0f;
  if (!std::isfinite(angle)) return {LinePlacement::Nothing, 0.0f, 0.0f};
  return {LinePlacement::Band, length, angle};
}

}  // namespace oru::engine
