#include "engine/glow_texture.h"

#include <cmath>

namespace oru::engine {

const std::array<unsigned char, 32> lineProfile = {
    252, 249, 244, 238, 231, 223, 214, 203, 192, 181, 168, 155, 140, 126, 112, 98,
    86,  74,  64,  54,  46,  38,  31,  25,  19,  14,  10,  6,   4,   2,   0,   0};

float profileLevel(double distance) {
  // The profile points sit at texel centres, 0.5 + i from the glow centre.
  const double position = distance - 0.5;
  if (!(position > 0.0)) return lineProfile.front();
  const int last = static_cast<int>(lineProfile.size()) - 1;
  if (position >= last) return lineProfile.back();
  const int i = static_cast<int>(position);
  const double fraction = position - i;
  return static_cast<float>(lineProfile[i] + (lineProfile[i + 1] - lineProfile[i]) * fraction);
}

namespace {

// The profile level at a distance, rounded to the nearest whole level.
unsigned char radialLevel(double dx, double dy) {
  return static_cast<unsigned char>(std::lround(profileLevel(std::sqrt(dx * dx + dy * dy))));
}

}  // namespace

std::vector<unsigned char> makeGlowTexture() {
  constexpr int n = glowTextureSize;
  constexpr int half = n / 2;
  std::vector<unsigned char> texels(n * n, 0);
  auto at = [&texels](int column, int row) -> unsigned char& { return texels[row * n + column]; };

  // Line strip, left half. Its centre line runs down column 31.5, so it reads
  // as s = 0.25 in texture coordinates.
  const double stripCentre = 31.5;
  // Rounded end: the upper half of a spot centred on (31.5, 31.5).
  for (int row = 0; row <= 30; ++row) {
    for (int column = 0; column < half; ++column) {
      at(column, row) = radialLevel(column - stripCentre, row - stripCentre);
    }
  }
  // Straight part: every row is the profile mirrored about the centre line.
  for (int row = 31; row <= 110; ++row) {
    for (int column = 0; column < half; ++column) {
      at(column, row) =
          static_cast<unsigned char>(std::lround(profileLevel(std::fabs(column - stripCentre))));
    }
  }
  // Closing row: a faint level-2 edge; rows below it stay empty.
  for (int column = 2; column <= 61; ++column) at(column, 111) = 2;

  // Point spot in the top-right quadrant, centred on texel (96, 31). Its
  // centre texel is a little brighter than the profile's peak.
  const int spotColumn = 96;
  const int spotRow = 31;
  for (int row = 0; row < half; ++row) {
    for (int column = half; column < n; ++column) {
      at(column, row) = radialLevel(column - spotColumn, row - spotRow);
    }
  }
  at(spotColumn, spotRow) = 254;
  return texels;
}

}  // namespace oru::engine
