#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oru::engine {

// A picture as the capture keys handle it: four bytes a pixel (red, green,
// blue and a fourth byte that is not looked at), rows either from the top, as
// image files hold them, or from the bottom, as OpenGL reads a frame back.
struct RgbaImage {
  int width = 0;
  int height = 0;
  bool bottomUp = false;
  std::vector<uint8_t> pixels;

  // The bytes of row y, counted from the top of the picture.
  const uint8_t* row(int y) const {
    const int stored = bottomUp ? height - 1 - y : y;
    return pixels.data() + static_cast<size_t>(stored) * width * 4;
  }
  uint8_t* row(int y) {
    const int stored = bottomUp ? height - 1 - y : y;
    return pixels.data() + static_cast<size_t>(stored) * width * 4;
  }
  // Gives the picture a size, keeping the storage it has when it is large enough.
  void resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    pixels.resize(static_cast<size_t>(newWidth) * newHeight * 4);
  }
};

}  // namespace oru::engine
