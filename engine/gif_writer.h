#pragma once

#include <string>
#include <vector>

#include "engine/image_quantizer.h"

struct GifFileType;

namespace oru::engine {

// Writes an endlessly looping animated GIF with giflib, frame by frame as they
// come, each with a colour table of its own and the time it is shown.
class GifWriter {
 public:
  GifWriter() = default;
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  // Starts the animation, width by height, on the open file descriptor, which
  // it then owns; false (see error) when that cannot be written.
  bool open(int descriptor, int width, int height);
  // Appends a frame, or the part of one that changed, over the frames before
  // (its transparent pixels show them), shown for delay hundredths of a second.
  bool addFrame(const IndexedImage& frame, int delayCentiseconds);
  // Ends the animation and closes the file; false when any of it could not be written.
  bool close();
  // Why writing failed: the system's reason (such as a full disk), or "".
  const std::string& error() const { return failure; }
  // How many bytes the animation has so far.
  size_t bytes() const { return written; }

 private:
  static int writeOut(GifFileType* gif, const unsigned char* bytes, int length);
  bool flushBuffer();
  bool fail(const std::string& reason);

  GifFileType* gif = nullptr;
  int file = -1;
  std::vector<unsigned char> buffer;
  size_t written = 0;
  std::string failure;
};

}  // namespace oru::engine
