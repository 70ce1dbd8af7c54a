#include "engine/clip_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace oru::engine {

namespace {

// A pixel the clip shows within this many levels on every channel is kept:
// the difference is below what the dithering itself adds, and leaving it out
// keeps the slow changes of soft light from being encoded again every frame.
constexpr int unchangedLevels = 4;
// Near black the eye sees far smaller steps: where the frame is this dark, a
// pixel is kept only within one level, so light that fades out leaves no
// faint trail behind.
constexpr int darkLevels = 8;

}  // namespace

ClipCanvas::ClipCanvas(int width, int height)
    : width(width),
      height(height),
      shown(static_cast<size_t>(width) * height * 3),
      previous(shown.size()) {}

PixelBox ClipCanvas::markUnchanged(RgbaImage& frame) const {
  const bool first = !painted;
  int left = width, top = height, right = -1, bottom = -1;
  for (int y = 0; y < height; ++y) {
    uint8_t* pixel = frame.row(y);
    const size_t rowStart = static_cast<size_t>(y) * width * 3;
    const uint8_t* was = shown.data() + rowStart;
    const uint8_t* before = previous.data() + rowStart;
    for (int x = 0; x < width; ++x, pixel += 4, was += 3, before += 3) {
      const bool same = pixel[0] == before[0] && pixel[1] == before[1] && pixel[2] == before[2];
      const int difference = std::max(
          {std::abs(pixel[0] - was[0]), std::abs(pixel[1] - was[1]), std::abs(pixel[2] - was[2])});
      // Black is the background: a faint pixel left where something went dark
      // would be a trail, so black always replaces what was there.
      const bool black = (pixel[0] | pixel[1] | pixel[2]) == 0;
      const bool goesBlack = black && (was[0] | was[1] | was[2]) != 0;
      const bool dark = std::max({pixel[0], pixel[1], pixel[2]}) <= darkLevels;
      const bool close = difference <= (dark ? 1 : unchangedLevels);
      if (!first && !goesBlack && (same || close)) {
        pixel[3] = 0;
        continue;
      }
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = y;
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

void ClipCanvas::paint(const IndexedImage& encoded, const RgbaImage& frame) {
  painted = true;
  for (int y = 0; y < encoded.height; ++y) {
    const uint8_t* index = encoded.indices.data() + static_cast<size_t>(y) * encoded.width;
    uint8_t* to = shown.data() + (static_cast<size_t>(encoded.top + y) * width + encoded.left) * 3;
    for (int x = 0; x < encoded.width; ++x, to += 3) {
      if (index[x] == encoded.transparent) continue;
      std::copy_n(encoded.palette.data() + index[x] * 3, 3, to);
    }
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = frame.row(y);
    uint8_t* to = previous.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x, from += 4, to += 3) std::copy_n(from, 3, to);
  }
}

}  // namespace oru::engine
