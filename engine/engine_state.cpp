#include "engine/engine_state.h"

#include <GL/gl.h>

#include "engine/stroke_batch.h"

namespace oru::engine {

float halfLineWidth = 4.0f;
Color currentColor = {1.0f, 1.0f, 1.0f};
std::array<unsigned char, keySymbolCount> keyStates = {};
bool hasDrawingContext = false;

void setLineWidth(float width) { halfLineWidth = width / 2; }

void setColor(float red, float green, float blue) { currentColor = {red, green, blue}; }

float getRed() { return currentColor.red; }
float getGreen() { return currentColor.green; }
float getBlue() { return currentColor.blue; }

void setCoordSystem(float left, float right, float top, float bottom) {
  if (!hasDrawingContext) return;
  drawPendingStrokes();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // An empty range is rejected by the library, which leaves the identity.
  glOrtho(left, right, bottom, top, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

void clear() {
  if (!hasDrawingContext) return;
  drawPendingStrokes();
  glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace oru::engine
