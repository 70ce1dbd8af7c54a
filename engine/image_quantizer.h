#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/rgba_image.h"

struct liq_attr;

namespace oru::engine {

// A picture of at most 256 colours, or the part of a frame that changed: one
// palette index a pixel, rows from the top, placed at (left, top) of the frame.
struct IndexedImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
  int colorCount = 0;
  std::array<uint8_t, 256 * 3> palette{};  // red, green, blue of each colour
  int transparent = -1;  // the index of pixels left as the frame before showed them, or -1
};

// Reduces pictures to 256 colours with libimagequant, each with a palette of
// its own and Floyd-Steinberg dithering, so that the soft falloff of the glow
// becomes fine grain instead of bands.
class ImageQuantizer {
 public:
  ImageQuantizer();
  ~ImageQuantizer();
  ImageQuantizer(const ImageQuantizer&) = delete;
  ImageQuantizer& operator=(const ImageQuantizer&) = delete;

  // Reduces the width by height area of image at (left, top) into result.
  // Pixels whose fourth byte is 0 are left out: they all get the one
  // transparent index. False when the library fails (out of memory), or when
  // stop is given and becomes true meanwhile, which ends the work early.
  bool quantize(const RgbaImage& image, int left, int top, int width, int height,
                IndexedImage& result, const std::atomic<bool>* stop = nullptr);

 private:
  liq_attr* settings;
};

}  // namespace oru::engine
