#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An animated GIF decoded with giflib as a player shows it: each frame drawn
// over the ones before, which show through its transparent pixels (every
// frame is left in place, as oru writes its clips), as RGB levels with row 0
// at the top.
struct DecodedGif {
  std::string error;  // why the file could not be decoded, or ""
  int width = 0;
  int height = 0;
  bool loops = false;                     // it asks players to loop it
  std::vector<std::vector<uint8_t>> rgb;  // each frame as shown
  std::vector<int> delays;                // each frame's time, in hundredths of a second
};

// Decodes the GIF at path.
DecodedGif decodeGif(const std::string& path);

// The mean absolute difference of two RGB pictures of the same size, in levels per channel.
double meanAbsoluteError(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
