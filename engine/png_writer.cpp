#include "engine/png_writer.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace oru::engine {

namespace {

// Writes all of bytes to the file; false with the system's reason.
bool writeAll(int descriptor, const std::vector<uint8_t>& bytes, size_t count, std::string& error) {
  size_t written = 0;
  while (written < count) {
    const ssize_t done = ::write(descriptor, bytes.data() + written, count - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      error = std::strerror(done < 0 ? errno : EIO);
      return false;
    }
    written += static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

bool writePng(int descriptor, const RgbaImage& image, std::string& error) {
  // Three bytes a pixel, rows from the top: the fourth byte of a frame read
  // back is whatever the blending left there, not part of the picture.
  std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* from = image.row(y);
    uint8_t* to = rgb.data() + static_cast<size_t>(y) * image.width * 3;
    for (int x = 0; x < image.width; ++x) std::memcpy(to + x * 3, from + x * 4, 3);
  }
  png_image description;
  std::memset(&description, 0, sizeof description);
  description.version = PNG_IMAGE_VERSION;
  description.width = static_cast<png_uint_32>(image.width);
  description.height = static_cast<png_uint_32>(image.height);
  description.format = PNG_FORMAT_RGB;
  // Encoded in memory first, so that a failing write gives the system's own reason.
  std::vector<uint8_t> encoded(PNG_IMAGE_PNG_SIZE_MAX(description));
  png_alloc_size_t size = encoded.size();
  bool ok = png_image_write_to_memory(&description, encoded.data(), &size, 0, rgb.data(), 0,
                                      nullptr) != 0;
  if (!ok) {
    error = description.message;
    png_image_free(&description);
  }
  ok = ok && writeAll(descriptor, encoded, size, error);
  if (::close(descriptor) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  return ok;
}

}  // namespace oru::engine
