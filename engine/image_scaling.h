#pragma once

#include "engine/rgba_image.h"

namespace oru::engine {

// Sizes and scaling of the frames that go into a clip.

// The widest clip: wider frames are scaled down to this width.
constexpr int clipMaxWidth = 640;

// A picture's width and height in pixels.
struct ImageSize {
  int width = 0;
  int height = 0;
};

// The size of a clip of frames of width by height: the same, or clipMaxWidth
// wide with the same aspect (at least one pixel tall) when they are wider.
ImageSize clipSize(int width, int height);

// Draws source into target, whose size is already set: scaled down to fit,
// never up, keeping its aspect, centred, with black around it where the
// aspects differ. Scaling averages each target pixel's area of the source in
// linear light, so thin bright strokes keep their brightness. Every fourth
// byte of target is set to 255 (opaque).
void fitInto(const RgbaImage& source, RgbaImage& target);

}  // namespace oru::engine
