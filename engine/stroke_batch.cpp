#include "engine/stroke_batch.h"

#include <GL/gl.h>

#include <array>

namespace oru::engine {

namespace {

// The array, reused for every batch: nothing is allocated per stroke.
std::array<StrokeVertex, strokeBatchCorners> corners;
int queued = 0;

// Each quad as two triangles, (0, 1, 2) and (0, 2, 3): the software renderer
// splits quads into triangles itself, more slowly, at every draw.
constexpr int strokeBatchIndices = strokeBatchCorners / 4 * 6;
static_assert(strokeBatchCorners <= 65536, "corner numbers must fit the 16-bit indices");
const std::array<GLushort, strokeBatchIndices> triangleCorners = [] {
  std::array<GLushort, strokeBatchIndices> list{};
  for (int quad = 0; quad < strokeBatchCorners / 4; ++quad) {
    const int first = 4 * quad;
    const int triangles[6] = {first, first + 1, first + 2, first, first + 2, first + 3};
    for (int i = 0; i < 6; ++i) list[6 * quad + i] = static_cast<GLushort>(triangles[i]);
  }
  return list;
}();

// Corners handed to the driver since the frame was last shown. The driver
// keeps what it has been handed until it has drawn it, and it draws a frame's
// work only when the frame is shown or it is told to finish: a script that
// never shows its frame made it queue without end (about 900 MB a million
// lines). After this many corners (43,690 lines, three times the work of a
// frame of 10,000 lines) the driver is made to finish what it holds, which
// keeps it to about 100 MB.
constexpr long cornersBeforeFinishing = 16L * strokeBatchCorners;
long cornersSinceShown = 0;

}  // namespace

StrokeVertex* queueStrokeCorners(int count) {
  if (queued + count > strokeBatchCorners) drawPendingStrokes();
  StrokeVertex* room = &corners[queued];
  queued += count;
  return room;
}

void drawPendingStrokes() {
  if (queued == 0) return;
  // The corners are already placed: the model-view matrix adds nothing.
  glLoadIdentity();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  constexpr GLsizei stride = sizeof(StrokeVertex);
  glVertexPointer(2, GL_FLOAT, stride, &corners[0].x);
  glTexCoordPointer(2, GL_FLOAT, stride, &corners[0].s);
  glColorPointer(3, GL_FLOAT, stride, &corners[0].red);
  glDrawElements(GL_TRIANGLES, queued / 4 * 6, GL_UNSIGNED_SHORT, triangleCorners.data());
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);

  cornersSinceShown += queued;
  queued = 0;
  if (cornersSinceShown >= cornersBeforeFinishing) {
    glFinish();
    cornersSinceShown = 0;
  }
}

void drawPendingStrokesForShowing() {
  drawPendingStrokes();
  cornersSinceShown = 0;
}

}  // namespace oru::engine
