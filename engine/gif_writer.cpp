#include "engine/gif_writer.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace oru::engine {

namespace {

// The file is written in pieces of this size; giflib hands its output over
// in blocks of at most 255 bytes.
constexpr size_t bufferBytes = 64 * 1024;

// The longest time one frame can be shown, in hundredths of a second.
constexpr int longestDelay = 65535;

// giflib's description of one of its error codes.
std::string gifError(int code) {
  const char* description = GifErrorString(code);
  return description ? description : "GIF error " + std::to_string(code);
}

}  // namespace

GifWriter::~GifWriter() { close(); }

int GifWriter::writeOut(GifFileType* gif, const unsigned char* bytes, int length) {
  auto* writer = static_cast<GifWriter*>(gif->UserData);
  if (!writer->failure.empty()) return 0;
  writer->buffer.insert(writer->buffer.end(), bytes, bytes + length);
  writer->written += static_cast<size_t>(length);
  if (writer->buffer.size() >= bufferBytes && !writer->flushBuffer()) return 0;
  return length;
}

bool GifWriter::flushBuffer() {
  size_t written = 0;
  while (written < buffer.size()) {
    const ssize_t count = ::write(file, buffer.data() + written, buffer.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return fail(std::strerror(count < 0 ? errno : EIO));
    written += static_cast<size_t>(count);
  }
  buffer.clear();
  return true;
}

bool GifWriter::fail(const std::string& reason) {
  if (failure.empty()) failure = reason;
  return false;
}

bool GifWriter::open(int descriptor, int width, int height) {
  file = descriptor;
  buffer.reserve(bufferBytes + 256);
  int status = 0;
  gif = EGifOpen(this, writeOut, &status);
  if (!gif) return fail(gifError(status));
  // Delays and looping need the 1989 format.
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_ERROR)
    return fail(gifError(gif->Error));
  // The application extension that makes browsers loop the animation forever.
  static const unsigned char loopName[] = "NETSCAPE2.0";
  static const unsigned char loopForever[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 11, loopName) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 3, loopForever) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif) == GIF_ERROR)
    return fail(gifError(gif->Error));
  return flushBuffer();
}

bool GifWriter::addFrame(const IndexedImage& frame, int delayCentiseconds) {
  if (!gif || !failure.empty()) return false;
  GraphicsControlBlock timing{};
  timing.DisposalMode = DISPOSE_DO_NOT;
  timing.UserInputFlag = false;
  timing.DelayTime = std::clamp(delayCentiseconds, 0, longestDelay);
  timing.TransparentColor = frame.transparent >= 0 ? frame.transparent : NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t extensionLength = EGifGCBToExtension(&timing, extension);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) ==
      GIF_ERROR)
    return fail(gifError(gif->Error));

  // The colour table's size is a power of two, at least 2.
  int tableSize = 2;
  while (tableSize < frame.colorCount) tableSize *= 2;
  GifColorType colors[256] = {};
  for (int i = 0; i < frame.colorCount; ++i)
    colors[i] = {frame.palette[i * 3], frame.palette[i * 3 + 1], frame.palette[i * 3 + 2]};
  ColorMapObject* table = GifMakeMapObject(tableSize, colors);
  if (!table) return fail(std::strerror(ENOMEM));
  bool ok = EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, table) !=
            GIF_ERROR;
  GifFreeMapObject(table);
  for (int y = 0; ok && y < frame.height; ++y) {
    auto* row =
        const_cast<GifPixelType*>(frame.indices.data() + static_cast<size_t>(y) * frame.width);
    ok = EGifPutLine(gif, row, frame.width) != GIF_ERROR;
  }
  if (!ok) return fail(failure.empty() ? gifError(gif->Error) : failure);
  return true;
}

bool GifWriter::close() {
  if (file < 0) return failure.empty();
  if (gif) {
    int status = 0;
    if (EGifCloseFile(gif, &status) == GIF_ERROR) fail(gifError(status));
    gif = nullptr;
  }
  if (failure.empty()) flushBuffer();
  if (::close(file) != 0) fail(std::strerror(errno));
  file = -1;
  return failure.empty();
}

}  // namespace oru::engine
