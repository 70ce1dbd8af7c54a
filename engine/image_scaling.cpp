#include "engine/image_scaling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace oru::engine {

namespace {

// One source pixel's share of a target pixel along one axis.
struct Share {
  int source;
  float weight;
};

// For each of targetCount pixels along an axis, the source pixels its span of
// sourceCount covers and how much of each (the weights of one target sum to 1).
std::vector<std::vector<Share>> sharesAlong(int sourceCount, int targetCount) {
  std::vector<std::vector<Share>> shares(targetCount);
  const double step = static_cast<double>(sourceCount) / targetCount;
  for (int target = 0; target < targetCount; ++target) {
    const double begin = target * step, end = (target + 1) * step;
    for (int source = static_cast<int>(begin); source < sourceCount && source < end; ++source) {
      const double covered = std::min<double>(source + 1, end) - std::max<double>(source, begin);
      if (covered > 0) shares[target].push_back({source, static_cast<float>(covered / step)});
    }
  }
  return shares;
}

// sRGB levels to linear light, and back through a table fine enough that the
// darkest levels of a glow's edge survive the round trip.
constexpr int linearSteps = 65535;

const std::array<float, 256>& toLinear() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> levels{};
    for (int level = 0; level < 256; ++level) {
      const double value = level / 255.0;
      levels[level] = static_cast<float>(value <= 0.04045 ? value / 12.92
                                                          : std::pow((value + 0.055) / 1.055, 2.4));
    }
    return levels;
  }();
  return table;
}

const std::vector<uint8_t>& toLevels() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> levels(linearSteps + 1);
    for (int step = 0; step <= linearSteps; ++step) {
      const double value = static_cast<double>(step) / linearSteps;
      const double encoded =
          value <= 0.0031308 ? value * 12.92 : 1.055 * std::pow(value, 1 / 2.4) - 0.055;
      levels[step] = static_cast<uint8_t>(std::lround(std::clamp(encoded, 0.0, 1.0) * 255));
    }
    return levels;
  }();
  return table;
}

// Copies source into target at (left, top), pixel for pixel.
void copyInto(const RgbaImage& source, RgbaImage& target, int left, int top) {
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* from = source.row(y);
    uint8_t* to = target.row(top + y) + static_cast<size_t>(left) * 4;
    std::memcpy(to, from, static_cast<size_t>(source.width) * 4);
    for (int x = 0; x < source.width; ++x) to[x * 4 + 3] = 255;
  }
}

// Scales source down into the width by height area of target at (left, top).
void scaleInto(const RgbaImage& source, RgbaImage& target, int left, int top, int width,
               int height) {
  const auto columns = sharesAlong(source.width, width);
  const auto rows = sharesAlong(source.height, height);
  const std::array<float, 256>& linear = toLinear();
  const std::vector<uint8_t>& levels = toLevels();
  std::vector<float> sum(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (const Share& rowShare : rows[y]) {
      const uint8_t* from = source.row(rowShare.source);
      for (int x = 0; x < width; ++x) {
        float red = 0, green = 0, blue = 0;
        for (const Share& share : columns[x]) {
          const uint8_t* pixel = from + static_cast<size_t>(share.source) * 4;
          red += linear[pixel[0]] * share.weight;
          green += linear[pixel[1]] * share.weight;
          blue += linear[pixel[2]] * share.weight;
        }
        sum[x * 3] += red * rowShare.weight;
        sum[x * 3 + 1] += green * rowShare.weight;
        sum[x * 3 + 2] += blue * rowShare.weight;
      }
    }
    uint8_t* to = target.row(top + y) + static_cast<size_t>(left) * 4;
    for (int x = 0; x < width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        const float value = std::clamp(sum[x * 3 + channel], 0.0f, 1.0f);
        to[x * 4 + channel] = levels[static_cast<size_t>(value * linearSteps + 0.5f)];
      }
      to[x * 4 + 3] = 255;
    }
  }
}

}  // namespace

ImageSize clipSize(int width, int height) {
  if (width <= clipMaxWidth) return {width, height};
  const long scaled = std::lround(static_cast<double>(height) * clipMaxWidth / width);
  return {clipMaxWidth, static_cast<int>(std::max(1L, scaled))};
}

void fitInto(const RgbaImage& source, RgbaImage& target) {
  const double scale = std::min({1.0, static_cast<double>(target.width) / source.width,
                                 static_cast<double>(target.height) / source.height});
  const int width =
      std::clamp(static_cast<int>(std::lround(source.width * scale)), 1, target.width);
  const int height =
      std::clamp(static_cast<int>(std::lround(source.height * scale)), 1, target.height);
  const int left = (target.width - width) / 2, top = (target.height - height) / 2;
  if (width != target.width || height != target.height) {
    for (size_t pixel = 0; pixel < target.pixels.size(); pixel += 4) {
      target.pixels[pixel] = target.pixels[pixel + 1] = target.pixels[pixel + 2] = 0;
      target.pixels[pixel + 3] = 255;
    }
  }
  if (width == source.width && height == source.height) {
    copyInto(source, target, left, top);
  } else {
    scaleInto(source, target, left, top, width, height);
  }
}

}  // namespace oru::engine
