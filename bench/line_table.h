#pragma once

// The benchmark's lines: fixed, seeded positions that bench/lines.js builds
// bit for bit the same way, so the script and the C++ program draw the same
// frames.

#include <cstdint>
#include <vector>

// The window the benchmark draws into.
constexpr int benchWidth = 640;
constexpr int benchHeight = 480;
// How much smaller the submission-bound workload draws the lines: a 10 to 100
// unit line becomes a fraction of a pixel to 1.6 pixels, so the renderer
// rasterises almost nothing and the frame time is what handing the strokes
// over costs, the figure that predicts a machine with a GPU.
constexpr int tinyLineShrink = 64;

// The mulberry32 generator: small, and written with 32-bit integer operations
// only, so JavaScript (Math.imul) reproduces it exactly.
class Mulberry32 {
 public:
  // A generator started from seed.
  explicit Mulberry32(uint32_t seed) : state(seed) {}
  // The next number, uniform in [0, 1).
  double next();

 private:
  uint32_t state;
};

// count lines as x1, y1, x2, y2 in a row each: starts uniform over the window,
// angles uniform, lengths uniform from 10 to 100, rounded to single precision.
std::vector<float> makeLineTable(int count);

// A hash (FNV-1a over the bits of every value) that shows both programs built the same table.
uint32_t hashLineTable(const std::vector<float>& table);
