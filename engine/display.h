#pragma once

// The window and the graphics library's state: everything here makes OpenGL calls.

#include <cstdint>

namespace oru::engine {

// Opens the window titled ORU with an OpenGL context and sets up the glow
// drawing state; false (with a message) when SDL or the video mode fails.
bool initORU(int32_t width, int32_t height, bool fullscreen);
// From now on, initORU keeps the window open when it already has the size and
// kind asked for (watch mode: a rerun's window appears without a flicker).
void reuseMatchingWindows();
// Maps script coordinates to the window: left and right edges, then top and bottom edges.
void setCoordSystem(float left, float right, float top, float bottom);
// Clears the frame being drawn to black.
void clear();

}  // namespace oru::engine
