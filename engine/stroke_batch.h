#pragma once

// The strokes waiting to be drawn. drawLine and drawPoint append their quads,
// corners already placed in script coordinates and each with its colour, to
// one vertex array. The array goes to OpenGL in one draw (client-side arrays,
// each quad as two indexed triangles) when the frame is shown or cleared,
// when the coordinate system or the window changes, and when it is full.
// Light adds up in any order, but the strokes still reach the frame in the
// order they were made.

namespace oru::engine {

// One corner as the vertex array holds it: position in script coordinates,
// texture coordinates into the glow texture, and the drawing colour.
struct StrokeVertex {
  float x, y, s, t, red, green, blue;
};

// How many corners the array holds: 8192 quads, that is 2730 lines or 8192
// points (896 KiB, and 96 KiB of triangle indices). Enough that one draw's
// fixed cost, a dozen OpenGL calls, is spread over thousands of strokes
// (0.005 calls a line); small enough that the 16-bit indices reach every
// corner. Between 2048 and 32768 quads the drawing speed did not change.
constexpr int strokeBatchCorners = 4 * 8192;

// Room for count corners (at most strokeBatchCorners) at the end of the
// array, drawing what it holds first when they would not fit. The corners
// count as queued from then on, so every one of them must be written.
StrokeVertex* queueStrokeCorners(int count);

// Draws the queued strokes into the frame and empties the array.
void drawPendingStrokes();

// Draws the queued strokes before the frame is shown, and starts counting the
// work handed to the driver for the next frame afresh.
void drawPendingStrokesForShowing();

}  // namespace oru::engine
