#pragma once

#include <cstdint>

namespace oru::engine {

// Opens the window titled ORU with an OpenGL context and sets up the glow
// drawing state; false (with a message) when SDL or the video mode fails.
bool initORU(int32_t width, int32_t height, bool fullscreen);

}  // namespace oru::engine
