#include "engine/image_quantizer.h"

#include <libimagequant.h>

namespace oru::engine {

namespace {

// The library's trade of speed for palette quality, 1 (best) to 10 (fastest).
constexpr int quantizerSpeed = 8;

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
                              IndexedImage& result) {
  if (!settings) return false;
  // The library only reads the rows it is given.
  std::vector<void*> rows(height);
  for (int y = 0; y < height; ++y)
    rows[y] = const_cast<uint8_t*>(image.row(top + y) + static_cast<size_t>(left) * 4);
  liq_image* input = liq_image_create_rgba_rows(settings, rows.data(), width, height, 0);
  if (!input) return false;
  liq_result* palette = nullptr;
  bool ok = liq_image_quantize(input, settings, &palette) == LIQ_OK;
  if (ok) {
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
  }
  if (palette) liq_result_destroy(palette);
  liq_image_destroy(input);
  return ok;
}

}  // namespace oru::engine
