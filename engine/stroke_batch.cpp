#include "stroke_batch.h"

#include <GL/gl.h>

#include <array>

#include "engine_state.h"

namespace {

// The array, reused for every batch: nothing is allocated per stroke.
std::array<StrokeVertex, strokeBatchCorners> corners;
int queued = 0;

// Corners handed to the driver since the frame was last shown. The driver
// keeps what it has been handed until it has drawn it, and it draws a frame's
// work only when the frame is shown or it is told to finish; a script that
// never shows its frame would make it queue without end (about 130 MB a
// second). After this many corners, about 340 MB of queued work in the
// software renderer, the driver is made to finish what it holds.
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
  glDrawArrays(GL_QUADS, 0, queued);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  // Drawing from a colour array leaves the current colour undefined.
  glColor3f(currentColor.red, currentColor.green, currentColor.blue);

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
