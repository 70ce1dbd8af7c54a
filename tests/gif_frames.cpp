#include "gif_frames.h"

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>

namespace {

// Whether the extension blocks hold the application block that asks for looping.
bool asksToLoop(const ExtensionBlock* blocks, int count) {
  for (int i = 0; i < count; ++i) {
    if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
        std::memcmp(blocks[i].Bytes, "NETSCAPE2.0", 11) == 0)
      return true;
  }
  return false;
}

}  // namespace

DecodedGif decodeGif(const std::string& path) {
  DecodedGif decoded;
  int status = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &status);
  if (!gif) {
    decoded.error = GifErrorString(status);
    return decoded;
  }
  if (DGifSlurp(gif) == GIF_ERROR) {
    decoded.error = GifErrorString(gif->Error);
    DGifCloseFile(gif, &status);
    return decoded;
  }
  decoded.width = gif->SWidth;
  decoded.height = gif->SHeight;
  std::vector<uint8_t> canvas(static_cast<size_t>(decoded.width) * decoded.height * 3, 0);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    if (asksToLoop(image.ExtensionBlocks, image.ExtensionBlockCount)) decoded.loops = true;
    GraphicsControlBlock timing{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(gif, i, &timing);
    const ColorMapObject* colors =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const GifImageDesc& place = image.ImageDesc;
    for (int y = 0; colors && y < place.Height; ++y) {
      for (int x = 0; x < place.Width; ++x) {
        const int index = image.RasterBits[y * place.Width + x];
        const int cx = place.Left + x, cy = place.Top + y;
        if (index == timing.TransparentColor || index >= colors->ColorCount ||
            cx >= decoded.width || cy >= decoded.height)
          continue;
        uint8_t* to = canvas.data() + (static_cast<size_t>(cy) * decoded.width + cx) * 3;
        to[0] = colors->Colors[index].Red;
        to[1] = colors->Colors[index].Green;
        to[2] = colors->Colors[index].Blue;
      }
    }
    decoded.rgb.push_back(canvas);
    decoded.delays.push_back(timing.DelayTime);
  }
  DGifCloseFile(gif, &status);
  return decoded;
}

double meanAbsoluteError(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 255;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}
