#include "line_table.h"

#include <cmath>
#include <cstring>

namespace {
constexpr uint32_t lineSeed = 20240607;
}

double Mulberry32::next() {
  state += 0x6D2B79F5u;
  uint32_t t = state;
  t = (t ^ (t >> 15)) * (t | 1u);
  t ^= t + (t ^ (t >> 7)) * (t | 61u);
  return static_cast<double>(t ^ (t >> 14)) / 4294967296.0;
}

std::vector<float> makeLineTable(int count) {
  // The same operations in the same order as bench/lines.js, in double
  // precision like the script's numbers, then rounded like a Float32Array.
  const double pi = 3.141592653589793;
  Mulberry32 random(lineSeed);
  std::vector<float> table;
  table.reserve(static_cast<size_t>(count) * 4);
  for (int i = 0; i < count; ++i) {
    double x = random.next() * benchWidth;
    double y = random.next() * benchHeight;
    double angle = random.next() * 2 * pi;
    double length = 10 + random.next() * 90;
    table.push_back(static_cast<float>(x));
    table.push_back(static_cast<float>(y));
    table.push_back(static_cast<float>(x + length * std::cos(angle)));
    table.push_back(static_cast<float>(y + length * std::sin(angle)));
  }
  return table;
}

uint32_t hashLineTable(const std::vector<float>& table) {
  uint32_t hash = 2166136261u;
  for (float value : table) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    hash = (hash ^ bits) * 16777619u;
  }
  return hash;
}
