#pragma once

#include <string>

#include "engine/rgba_image.h"

namespace oru::engine {

// Writes image as an 8-bit RGB PNG with libpng to the open file descriptor,
// which it closes; false with the reason (such as a full disk) in error.
bool writePng(int descriptor, const RgbaImage& image, std::string& error);

}  // namespace oru::engine
