#pragma once

namespace oru::engine {

// The glow strokes: textured quads cut from the glow texture, in the current
// colour and line width, added to the frame.

// Draws a soft round spot centred on (x, y).
void drawPoint(float x, float y);
// Draws a soft band with rounded ends from (x1, y1) to (x2, y2).
void drawLine(float x1, float y1, float x2, float y2);

}  // namespace oru::engine
