#pragma once

#include <cstdint>
#include <vector>

#include "engine/image_quantizer.h"
#include "engine/rgba_image.h"

namespace oru::engine {

// A rectangle of pixels.
struct PixelBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What a clip shows after the frames encoded so far, so that each new frame
// is encoded only where it differs: the rest of the GIF frame is transparent
// and the frame before shows through. Between frames of a moving game most
// pixels stay as they were (the black background, text, anything still), and
// a frame that changes nothing is not encoded at all.
class ClipCanvas {
 public:
  // A canvas of width by height with nothing shown on it yet.
  ClipCanvas(int width, int height);
  // Marks the pixels of frame (the clip's size, opaque) that need not be
  // encoded again by setting their fourth byte to 0, and returns the box
  // around the others; a width of 0 when there are none. A pixel needs no
  // encoding when the last frame encoded had the same colour there (the clip
  // shows it as well as it could), or when the clip shows it within a few levels.
  // Before the first frame is painted, every pixel counts as changed.
  PixelBox markUnchanged(RgbaImage& frame) const;
  // Takes in a frame as encoded (what a player shows after it) and the frame
  // it was encoded from (the colours it had).
  void paint(const IndexedImage& encoded, const RgbaImage& frame);

 private:
  int width;
  int height;
  bool painted = false;
  std::vector<uint8_t> shown;     // red, green, blue, rows from the top
  std::vector<uint8_t> previous;  // the last frame encoded, the same way
};

}  // namespace oru::engine
