#include "engine/image_quantizer.h"

#include <libimagequant.h>

namespace oru::engine {

namespace {

// The library's trade of speed for palette quality, 1 (best) to 10 (fastest).
constexpr int quantizerSpeed = 8;

// Gives every pure black pixel of the area the palette's black. Dithering
// spreads the error of bright pixels into their black neighbours, and on the
// black background of a clip that grain would outlive the light that caused it.
void keepBlackExact(const RgbaImage& image, int left, int top, const liq_palette& colors,
                    IndexedImage& result) {
  int black = -1;
  for (unsigned i = 0; i < colors.count; ++i) {
    const liq_color& color = colors.entries[i];
    if (color.a == 255 && (color.r | color.g | color.b) == 0) black = static_cast<int>(i);
  }
  if (black < 0) return;
  for (int y = 0; y < result.height; ++y) {
    const uint8_t* pixel = image.row(top + y) + static_cast<size_t>(left) * 4;
    uint8_t* index = result.indices.data() + static_cast<size_t>(y) * result.width;
    for (int x = 0; x < result.width; ++x, pixel += 4) {
      if (pixel[3] != 0 && (pixel[0] | pixel[1] | pixel[2]) == 0)
        index[x] = static_cast<uint8_t>(black);
    }
  }
}

}  // namespace

ImageQuantizer::ImageQuantizer() : settings(liq_attr_create()) {
  if (!settings) return;
  liq_set_max_colors(settings, 256);
  liq_set_speed(settings, quantizerSpeed);
}

ImageQuantizer::~ImageQuantizer() {
  if (settings) liq_attr_destroy(settings);
}

bool ImageQuantizer::quantize(const RgbaImage& image, int left, int top, int width, int height,
                              IndexedImage& result, const std::atomic<bool>* stop) {
  if (!settings) return false;
  // The library asks now and then whether to go on; a null stop never stops it.
  auto goOn = [](float, void* flag) -> int {
    return flag && static_cast<const std::atomic<bool>*>(flag)->load() ? 0 : 1;
  };
  void* stopFlag = const_cast<std::atomic<bool>*>(stop);
  liq_attr_set_progress_callback(settings, goOn, stopFlag);
  // The library only reads the rows it is given.
  std::vector<void*> rows(height);
  for (int y = 0; y < height; ++y)
    rows[y] = const_cast<uint8_t*>(image.row(top + y) + static_cast<size_t>(left) * 4);
  liq_image* input = liq_image_create_rgba_rows(settings, rows.data(), width, height, 0);
  if (!input) return false;
  // Black is always in the palette: it is the background, and a pixel that
  // must go back to it has to get it exactly, not the nearest dark colour.
  liq_image_add_fixed_color(input, liq_color{0, 0, 0, 255});
  liq_result* palette = nullptr;
  bool ok = liq_image_quantize(input, settings, &palette) == LIQ_OK;
  if (ok) {
    liq_result_set_progress_callback(palette, goOn, stopFlag);
    liq_set_dithering_level(palette, 1.0f);
    result.left = left;
    result.top = top;
    result.width = width;
    result.height = height;
    result.indices.resize(static_cast<size_t>(width) * height);
    ok = liq_write_remapped_image(palette, input, result.indices.data(), result.indices.size()) ==
         LIQ_OK;
  }
  if (ok) {
    // Read after remapping, which refines the palette.
    const liq_palette* colors = liq_get_palette(palette);
    result.colorCount = static_cast<int>(colors->count);
    result.transparent = -1;
    for (unsigned i = 0; i < colors->count; ++i) {
      if (colors->entries[i].a == 0) result.transparent = static_cast<int>(i);
      result.palette[i * 3] = colors->entries[i].r;
      result.palette[i * 3 + 1] = colors->entries[i].g;
      result.palette[i * 3 + 2] = colors->entries[i].b;
    }
    keepBlackExact(image, left, top, *colors, result);
  }
  if (palette) liq_result_destroy(palette);
  liq_image_destroy(input);
  return ok;
}

}  // namespace oru::engine
