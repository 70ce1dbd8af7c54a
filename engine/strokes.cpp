#include "strokes.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>

#include "engine_state.h"
#include "stroke_geometry.h"

namespace {

// Sends quads of corners, each at z = 0 with its texture coordinates.
template <std::size_t N>
void submitQuads(const std::array<QuadCorner, N>& corners) {
  glBegin(GL_QUADS);
  for (const QuadCorner& corner : corners) {
    glTexCoord2f(corner.s, corner.t);
    glVertex3f(corner.x, corner.y, 0);
  }
  glEnd();
}

void submitPoint(float x, float y) {
  glLoadIdentity();
  glTranslatef(x, y, 0);
  submitQuads(pointQuad(halfLineWidth));
}

}  // namespace

void drawPoint(float x, float y) {
  if (hasDrawingContext) submitPoint(x, y);
}

void drawLine(float x1, float y1, float x2, float y2) {
  if (!hasDrawingContext) return;
  LinePlacement line = placeLine(x1, y1, x2, y2, halfLineWidth);
  switch (line.kind) {
    case LinePlacement::Nothing:
      return;
    case LinePlacement::Spot:
      submitPoint(x1, y1);
      return;
    case LinePlacement::Band:
      glLoadIdentity();
      glTranslatef(x1, y1, 0);
      glRotatef(line.angle, 0, 0, 1);
      submitQuads(lineQuads(line.length, halfLineWidth));
      return;
  }
}
